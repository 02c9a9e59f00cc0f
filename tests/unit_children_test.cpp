// The one way every program and test starts a child (platform/children.h), run for real: what
// the child is given (arguments, working folder, environment, descriptors, signals, its own
// process group) and the status it ends with, as a shell would report it.
#include "platform/children.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Ran {
    int status = -1; // as a shell reports it
    std::string output;
};

// Starts `setup` with its standard output into a pipe, reads that to the end and reaps the child.
Ran runChild(ChildSetup setup)
{
    Ran ran;
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return ran;
    setup.output = output[1];
    pid_t child = startChild(setup);
    close(output[1]);
    char buffer[4096];
    ssize_t n;
    while (child > 0 && ((n = read(output[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
        if (n > 0)
            ran.output.append(buffer, std::size_t(n));
    close(output[0]);
    if (child > 0)
        ran.status = shellStatus(waitForChild(child));
    return ran;
}

ChildSetup shell(const std::string& script)
{
    ChildSetup setup;
    setup.argv = {"/bin/sh", "-c", script};
    setup.deathSignal = SIGKILL;
    return setup;
}

} // namespace

TEST(Children, AProgramGetsWhatItsSetUpSaysAndEndsWithAShellsStatus)
{
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    setenv("CHILDREN_TEST_KEPT", "kept", 1);
    setenv("CHILDREN_TEST_UNSET", "there", 1);

    struct Case {
        const char* what;
        ChildSetup setup;
        int status;
        std::string output;
    };
    ChildSetup inFolder = shell("pwd");
    inFolder.workDir = folder.path();
    ChildSetup inMissingFolder = shell("pwd");
    inMissingFolder.workDir = folder.path() + "/missing";
    ChildSetup changed = shell("printf '%s,%s,%s' \"$CHILDREN_TEST_KEPT\" \"${CHILDREN_TEST_UNSET-unset}\" \"$CHILDREN_TEST_NEW\"");
    changed.environment = {{"CHILDREN_TEST_UNSET", ""}, {"CHILDREN_TEST_NEW", "first"}, {"CHILDREN_TEST_NEW", "last"}};
    ChildSetup missingProgram;
    missingProgram.argv = {folder.path() + "/no-such-program"};
    // The group's number is the child's own: field 5 of /proc/PID/stat (sh's name holds no space).
    ChildSetup group = shell("set -- $(cat /proc/$$/stat); [ \"$5\" = \"$$\" ] && echo own");
    // A handed-on descriptor arrives as number 3.
    const int passed = open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ChildSetup handed = shell("readlink /proc/$$/fd/3");
    handed.passedFiles = {passed};

    const std::vector<Case> cases = {
        {"its working folder", inFolder, 0, folder.path() + "\n"},
        {"a working folder that is not there: 126, nothing run", inMissingFolder, 126, ""},
        {"the parent's environment, changed: kept, unset, the later of two", changed, 0, "kept,unset,last"},
        {"a program that is not there: 127", missingProgram, 127, ""},
        {"an exit status as it is", shell("exit 3"), 3, ""},
        {"an end by a signal: 128 + the signal", shell("kill -TERM $$"), 128 + SIGTERM, ""},
        {"a process group of its own", group, 0, "own\n"},
        {"descriptors handed on from 3", handed, 0, folder.path() + "\n"},
    };
    for (const Case& c : cases) {
        const Ran ran = runChild(c.setup);
        EXPECT_EQ(ran.status, c.status) << c.what;
        EXPECT_EQ(ran.output, c.output) << c.what;
    }
    close(passed);
    unsetenv("CHILDREN_TEST_KEPT");
    unsetenv("CHILDREN_TEST_UNSET");
}

TEST(Children, SignalsTheParentIgnoresStayIgnoredUnlessTheChildAsksForTheDefaults)
{
    // A shell's background job ignores SIGINT; a program started as from a terminal must not.
    const auto previous = std::signal(SIGINT, SIG_IGN);
    // Bit 2 of SigIgn is SIGINT.
    const std::string script = "sed -n 's/^SigIgn:[[:space:]]*//p' /proc/$$/status";
    ChildSetup inherited = shell(script);
    ChildSetup defaults = shell(script);
    defaults.defaultSignals = true;
    const Ran kept = runChild(inherited);
    const Ran reset = runChild(defaults);
    std::signal(SIGINT, previous);
    ASSERT_EQ(kept.status, 0);
    ASSERT_EQ(reset.status, 0);
    EXPECT_NE(std::stoull(kept.output, nullptr, 16) & 2u, 0u) << kept.output;
    EXPECT_EQ(std::stoull(reset.output, nullptr, 16) & 2u, 0u) << reset.output;
}

TEST(Children, AFunctionRunsInACopyOfTheParentAndEndsWithWhatItReturns)
{
    int changedOnlyInTheCopy = 1;
    ChildSetup setup;
    setup.deathSignal = SIGKILL;
    setup.body = [&changedOnlyInTheCopy] {
        changedOnlyInTheCopy = 2;
        return changedOnlyInTheCopy == 2 && getpgid(0) == getpid() ? 7 : 1;
    };
    pid_t child = startChild(setup);
    ASSERT_GT(child, 0);
    EXPECT_EQ(shellStatus(waitForChild(child)), 7);
    EXPECT_EQ(changedOnlyInTheCopy, 1);
    EXPECT_EQ(child, -1) << "reaped";
}
