// End-to-end support for the real show: a working folder with a copy of the build's data, the show
// started in a private X server with its sound going to SDL's disk driver, and the checks that
// compare what it played with the MP3 decoded apart.
#pragma once

#include "app/data_files.h"
#include "support/x_session.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline const std::string showBinary = SHOW_BINARY;

// Copies the build's data folder into `folder`, as the show's ./iroiro/ there.
void copyShowData(const std::string& folder);

// What a show wrote to standard error, less the disk audio driver's own announcement. A sanitizer
// report or a crash message would land here.
std::string showMessages(const ChildProcess& show);

class ShowRun : public ::testing::Test {
protected:
    void SetUp() override;

    // The copy of a data file, e.g. dataPath(soundtrackFile), and its removal.
    std::string dataPath(const char* file) const;
    void removeData(const char* file);
    std::string audioPath() const { return folder.path() + "/audio.raw"; }

    // A private X server of that size, for start or for X tools alone.
    void startServer(int screenWidth, int screenHeight);

    // Starts the show with `args` in `workDir` (the working folder when empty). Sound goes to
    // SDL's disk driver unless `machineSound`, which leaves SDL to the machine's own sound drivers
    // (on a machine without a sound card, opening the device fails). `extraEnv` is added last.
    void start(int screenWidth = 1280, int screenHeight = 1024, bool machineSound = false,
               const std::vector<std::string>& args = {}, const std::string& workDir = {},
               const std::vector<std::pair<std::string, std::string>>& extraEnv = {});

    // The show's window (titled with its own path), once it exists; empty after the timeout.
    std::string waitForWindow(const std::string& name, int timeoutMs);
    bool waitForSize(const std::string& window, const std::string& size, int timeoutMs);

    // What the show wrote to standard error, less the disk audio driver's own announcement.
    std::string showMessages() const;

    void pressEscapeAndExpectExitZero(const std::string& window);

    TempFolder folder;
    std::unique_ptr<PrivateXServer> x;
    std::unique_ptr<ChildProcess> show;
};

// Stereo s16 samples of `seconds` of the MP3 from `fromSeconds`, decoded by ffmpeg (not by the
// mixer).
std::vector<std::int16_t> decodeMp3(const std::string& path, double fromSeconds, double seconds);

// The raw s16 stereo samples SDL's disk driver wrote.
std::vector<std::int16_t> readPlayedSamples(const std::string& path);

// The index of the first sample louder than the driver's silence, at a stereo frame's start.
std::size_t firstAudible(const std::vector<std::int16_t>& samples, std::size_t from = 0);

// Lines the first audible sample of `played` up with that of `decoded`, searches a few frames
// either side, and returns the largest difference over `length` samples at the best shift (the
// mixer's decoder and ffmpeg round differently by a few units at most). `playedStart` is set to
// where the sound began in `played`.
int playedMatchesDecoded(const std::vector<std::int16_t>& played, const std::vector<std::int16_t>& decoded,
                         std::size_t length, std::size_t& playedStart);
