// What the command line is on this platform: its arguments as text, where the program's messages
// go, and the words its help uses for the program, the data folders and the window system.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's name, as UTF-8 text. On Windows they come from the wide
// command line, so a folder named outside the ANSI code page arrives whole; elsewhere they are
// argv as given.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// On Windows, where the show is a windowed program with no console of its own: standard output
// and error go to the console of the program that started it (a command prompt) when they lead
// nowhere else, so --help and a mistake in the options print where they were typed. Elsewhere
// nothing. Called first thing in main.
void useParentConsole();

// The platform's words in the help (the program's name is the one it was started as).
struct HelpWords {
    const char* helpOption;          // the help option's line
    const char* dataFolders;         // the --data option's lines: where the data is looked for
    const char* windowSystemOptions; // the closing paragraph on GLUT's own options; empty: none
    bool slashQuestionMark;          // "/?" asks for the help as well
};
const HelpWords& helpWords();
