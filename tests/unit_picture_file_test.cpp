// Screenshots' names and files: named after the show time, written only into files made for
// them, a counter added when a name is taken, and nothing left behind or written through a link.
#include "app/screenshot.h"
#include "platform/picture_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

TEST(Screenshot, NamedAfterTheShowTime)
{
    const std::pair<std::int32_t, const char*> cases[] = {
        {103250, "iroiro-01m43.250s"}, {0, "iroiro-00m00.000s"}, {59999, "iroiro-00m59.999s"},
        {114799, "iroiro-01m54.799s"}, {-7000, "iroiro-00m00.000s"},
    };
    for (const auto& [ms, stem] : cases)
        EXPECT_EQ(screenshotStem(ms), stem) << ms;
}

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::vector<std::uint8_t> twoByOne = {255, 0, 0, 0, 0, 255};

TEST(PictureFile, EachSaveMakesANewFileAndTakenNamesAreSkippedNotWritten)
{
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const std::string base = folder.path() + "/iroiro-00m50.000s";
    // A link at the second name, pointing at a file that must stay as it is.
    const std::string target = folder.path() + "/target";
    std::ofstream(target) << "untouched";
    ASSERT_EQ(symlink(target.c_str(), (base + "-2.png").c_str()), 0);

    std::string written, error;
    ASSERT_TRUE(writeNewPicture(folder.path(), "iroiro-00m50.000s", 2, 1, twoByOne, written, error)) << error;
    EXPECT_EQ(written, base + ".png");
    EXPECT_EQ(contents(written).substr(1, 3), "PNG");
    ASSERT_TRUE(writeNewPicture(folder.path(), "iroiro-00m50.000s", 2, 1, twoByOne, written, error)) << error;
    EXPECT_EQ(written, base + "-3.png") << "the link's name is skipped";
    EXPECT_EQ(contents(target), "untouched");
    EXPECT_EQ(contents(base + ".png"), contents(base + "-3.png"));
}

TEST(PictureFile, FailuresSayWhyAndLeaveNothing)
{
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    std::string written, error;
    EXPECT_FALSE(writeNewPicture(folder.path() + "/missing", "shot", 2, 1, twoByOne, written, error));
    EXPECT_NE(error.find("missing/shot.png: No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(writeNewPicture(folder.path(), "shot", 3, 1, twoByOne, written, error)) << "sizes and pixels disagree";
    EXPECT_NE(error.find("encoded"), std::string::npos) << error;
    struct stat info {};
    EXPECT_NE(stat((folder.path() + "/shot.png").c_str(), &info), 0) << "a file was left";
    if (geteuid() != 0) { // root writes into read-only folders
        ASSERT_EQ(chmod(folder.path().c_str(), 0500), 0);
        EXPECT_FALSE(writeNewPicture(folder.path(), "shot", 2, 1, twoByOne, written, error));
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
        chmod(folder.path().c_str(), 0700);
    }
}

} // namespace
