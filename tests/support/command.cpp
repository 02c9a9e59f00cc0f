// Shell commands through the platform's child starter, their output read whole.
#include "support/command.h"

#include "platform/children.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

CommandResult runCommand(const std::string& command)
{
    CommandResult result;
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return result;
    ChildSetup setup;
    setup.argv = {"/bin/sh", "-c", command};
    setup.deathSignal = SIGKILL;
    setup.output = output[1];
    setup.errors = STDERR_FILENO;
    pid_t child = startChild(setup);
    close(output[1]);
    char buffer[65536];
    ssize_t n;
    while (child > 0 && ((n = read(output[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
        if (n > 0)
            result.output.append(buffer, std::size_t(n));
    close(output[0]);
    if (child > 0)
        result.status = shellStatus(waitForChild(child));
    if (result.status >= 128)
        result.status = -1;
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
