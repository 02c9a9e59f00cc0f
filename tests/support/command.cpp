// Shell commands through popen, their output read whole.
#include "support/command.h"

#include <algorithm>
#include <cstdio>
#include <sys/wait.h>

CommandResult runCommand(const std::string& command)
{
    CommandResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

int lineCount(const std::string& text)
{
    return int(std::count(text.begin(), text.end(), '\n'));
}

std::string frameName(int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", frame);
    return name;
}
