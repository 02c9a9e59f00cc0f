// Reading the soundtrack's volume command, shared by the platforms: the path and a level the
// device can take, or nothing at all.
#include "platform/multimedia_command.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct VolumeCase {
    const char* argument;
    bool accepted;
    const char* path;
    int level;
};

const VolumeCase volumeCases[] = {
    {"/data/iroiro/k13.mp3 volume to 512", true, "/data/iroiro/k13.mp3", 512},
    {"/data/iroiro/k13.mp3 volume to 0", true, "/data/iroiro/k13.mp3", 0},
    {"/data/iroiro/k13.mp3 volume to 1000", true, "/data/iroiro/k13.mp3", 1000},
    {"C:\\Shows\\a volume to b\\k13.mp3 volume to 7", true, "C:\\Shows\\a volume to b\\k13.mp3", 7},
    {"/data/iroiro/k13.mp3 volume to 1001", false, "", 0},
    {"/data/iroiro/k13.mp3 volume to -5", false, "", 0},
    {"/data/iroiro/k13.mp3 volume to 99999", false, "", 0},
    {"/data/iroiro/k13.mp3 volume to ", false, "", 0},
    {"/data/iroiro/k13.mp3 volume to 5 ", false, "", 0},
    {"/data/iroiro/k13.mp3", false, "", 0},
    {" volume to 5", false, "", 0},
};

TEST(MultimediaCommand, VolumeNamesThePathAndALevelUpToFull)
{
    for (const VolumeCase& c : volumeCases) {
        std::string path;
        int level = -1;
        EXPECT_EQ(splitVolumeArgument(c.argument, path, level), c.accepted) << c.argument;
        if (c.accepted) {
            EXPECT_EQ(path, c.path);
            EXPECT_EQ(level, c.level);
        }
    }
}

} // namespace
