// The command line on Linux: argv as given, the console the program already has, and X11's
// options passed to GLUT.
#include "platform/command_line.h"

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void useParentConsole() {}

const HelpWords& helpWords()
{
    static const HelpWords words{
        "  --help          this text\n",
        "  --data DIR      read the data from DIR/iroiro/ (default: ./iroiro/ when it holds the\n"
        "                  show's files, else the iroiro/ beside the executable, else the\n"
        "                  installed ../share/iroiro/iroiro/ beside its bin/ folder)\n",
        "\n"
        "GLUT's own options (-display NAME, -geometry WxH+X+Y, -iconic, -sync, ...) are passed\n"
        "to GLUT.\n",
        false,
    };
    return words;
}
