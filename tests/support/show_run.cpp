// The show started for end-to-end tests, and the comparison of its sound with the decoded MP3.
#include "support/show_run.h"

#include "support/command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

void copyShowData(const std::string& folder)
{
    ASSERT_FALSE(folder.empty());
    const std::string data = std::string(SHOW_BUILD_DIR) + "/" + dataFolderName;
    ASSERT_EQ(runCommand("cp -r '" + data + "' '" + folder + "/'").status, 0)
        << "the build writes " << data << " beside the show";
}

std::string showMessages(const ChildProcess& show)
{
    std::string messages;
    std::istringstream lines(show.standardError());
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("CRITICAL: ", 0) != 0)
            messages += line + "\n";
    return messages;
}

void ShowRun::SetUp()
{
    copyShowData(folder.path());
}

std::string ShowRun::dataPath(const char* file) const
{
    return folder.path() + "/" + dataFolderName + "/" + file;
}

void ShowRun::removeData(const char* file)
{
    std::remove(dataPath(file).c_str());
}

void ShowRun::startServer(int screenWidth, int screenHeight)
{
    x = std::make_unique<PrivateXServer>(screenWidth, screenHeight);
    ASSERT_TRUE(x->running()) << "Xvfb did not start";
}

void ShowRun::start(int screenWidth, int screenHeight, bool machineSound, const std::vector<std::string>& args,
                    const std::string& workDir, const std::vector<std::pair<std::string, std::string>>& extraEnv)
{
    startServer(screenWidth, screenHeight);
    std::vector<std::pair<std::string, std::string>> env{
        {"DISPLAY", x->display()}, {"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", audioPath()}};
    if (machineSound)
        env = {{"DISPLAY", x->display()}, {"SDL_AUDIODRIVER", ""}, {"SDL_DISKAUDIOFILE", ""}};
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<std::string> argv{showBinary};
    argv.insert(argv.end(), args.begin(), args.end());
    show = std::make_unique<ChildProcess>(argv, workDir.empty() ? folder.path() : workDir, env);
}

std::string ShowRun::waitForWindow(const std::string& name, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        const std::vector<std::string> ids = x->windowsNamed(name);
        if (!ids.empty())
            return ids.front();
        sleepMs(50);
    }
    return {};
}

bool ShowRun::waitForSize(const std::string& window, const std::string& size, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (x->windowSize(window) == size)
            return true;
        sleepMs(50);
    }
    return false;
}

std::string ShowRun::showMessages() const
{
    return ::showMessages(*show);
}

void ShowRun::pressEscapeAndExpectExitZero(const std::string& window)
{
    x->run("xdotool key --window " + window + " Escape");
    ASSERT_TRUE(show->waitForExit(promptExitMs)) << "Escape must end the show at once";
    EXPECT_EQ(show->status(), 0);
}

std::vector<std::int16_t> decodeMp3(const std::string& path, double fromSeconds, double seconds)
{
    // -ss after the input: decoded from the start and cut, since seeking in the input lands a
    // little off the exact sample.
    const std::string command = "ffmpeg -v error -i '" + path + "' -ss " + std::to_string(fromSeconds) + " -t " +
                                std::to_string(seconds) + " -f s16le -ac 2 -ar 44100 -";
    const std::string bytes = runCommand(command).output;
    std::vector<std::int16_t> samples(bytes.size() / sizeof(std::int16_t));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(std::int16_t));
    return samples;
}

std::vector<std::int16_t> readPlayedSamples(const std::string& path)
{
    const std::string raw = readWholeFile(path);
    std::vector<std::int16_t> played(raw.size() / 2);
    std::memcpy(played.data(), raw.data(), played.size() * 2);
    return played;
}

std::size_t firstAudible(const std::vector<std::int16_t>& samples, std::size_t from)
{
    for (std::size_t i = from; i < samples.size(); ++i)
        if (std::abs(samples[i]) > 200)
            return i & ~std::size_t(1); // frame start
    return samples.size();
}

int playedMatchesDecoded(const std::vector<std::int16_t>& played, const std::vector<std::int16_t>& decoded,
                         std::size_t length, std::size_t& playedStart)
{
    constexpr int noMatch = 1 << 30;
    const std::size_t decodedStart = firstAudible(decoded);
    playedStart = firstAudible(played);
    if (playedStart + 64 >= played.size())
        return noMatch; // nothing audible was played
    length = std::min(length, played.size() - playedStart - 64);
    if (decodedStart + length + 64 >= decoded.size())
        return noMatch;
    int bestError = noMatch;
    for (long shift = -32; shift <= 32; shift += 2) {
        int worst = 0;
        for (std::size_t i = 0; i < length && worst < bestError; ++i) {
            const long p = long(playedStart + i) + shift;
            if (p < 0)
                continue;
            worst = std::max(worst, std::abs(int(played[std::size_t(p)]) - int(decoded[decodedStart + i])));
        }
        bestError = std::min(bestError, worst);
    }
    return bestError;
}
