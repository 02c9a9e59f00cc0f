// The page's "command line": the options its address gives, handed over as arguments.
#include "platform/command_line.h"

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

void useParentConsole() {}

const HelpWords& helpWords()
{
    static const HelpWords words = {"  --help       this help", "  --data DIR   read the data from DIR/iroiro/\n", "",
                                    false};
    return words;
}
