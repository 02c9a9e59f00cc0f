// Where the show and showcap look for their data without --data: a working folder's iroiro/ only
// when it holds some of the show's files, then beside the executable, then an installation's share
// folder; and with --data, the folder asked for.
#include "app/data_files.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

enum class Data {
    none,    // no iroiro/ at all
    empty,   // an iroiro/ folder holding none of the show's files
    project, // an iroiro/ that is a clone of the project: source files, none of the data
    one,     // an iroiro/ holding only the soundtrack
    all,     // the five files
};

void lay(const fs::path& folder, Data data)
{
    fs::create_directories(folder);
    if (data == Data::none)
        return;
    const fs::path iroiro = folder / dataFolderName;
    fs::create_directories(iroiro);
    if (data == Data::project) {
        for (const char* name : {"CMakeLists.txt", "README.md"})
            std::ofstream(iroiro / name) << "not data";
        fs::create_directories(iroiro / "app");
    }
    if (data == Data::one || data == Data::all)
        std::ofstream(iroiro / soundtrackFile) << "mp3";
    if (data == Data::all)
        for (const ShowPicture& picture : showPictures)
            std::ofstream(iroiro / picture.file) << "bmp";
}

struct FolderCase {
    const char* name;
    Data working;  // the working folder
    Data beside;   // the executable's folder, P/bin
    Data installed; // P/share/iroiro, the installation's folder holding iroiro/
    const char* chosen; // "work", "bin", "share" or "" for none
    bool buildFolder = false;    // P/bin is a build folder (its CMakeCache.txt is there)
    const char* passedOver = ""; // a folder holding some of the files that a complete one came before
};

const FolderCase folderCases[] = {
    {"WorkingFolderWithTheFilesComesFirst", Data::all, Data::all, Data::all, "work"},
    {"OneOfTheFilesMakesTheDataFolderWhenNoneIsComplete", Data::one, Data::none, Data::one, "work"},
    {"ABuildsProgramReadsItsWorkingFoldersDataWholeOrNot", Data::one, Data::all, Data::all, "work", true},
    {"AStrayFileHereDoesNotHideTheInstalledData", Data::one, Data::none, Data::all, "share", false, "work"},
    {"NorDoesAPartialFolderBesideTheProgram", Data::none, Data::one, Data::all, "share", false, "bin"},
    {"TheFirstCompleteFolderComesFirst", Data::one, Data::all, Data::all, "bin", false, "work"},
    {"AnEmptyIroiroIsNotTheDataFolder", Data::empty, Data::all, Data::all, "bin"},
    {"AProjectCloneNamedIroiroIsNotTheDataFolder", Data::project, Data::all, Data::all, "bin"},
    {"WithoutIroiroHereTheExecutablesFolderIsNext", Data::none, Data::all, Data::all, "bin"},
    {"AnInstalledProgramFindsItsShareFolder", Data::none, Data::none, Data::all, "share"},
    {"AnEmptyFolderBesideTheProgramDoesNotHideTheInstallation", Data::none, Data::empty, Data::one, "share"},
    {"NoDataAnywhereFindsNothing", Data::empty, Data::project, Data::empty, ""},
};

class DataFolderRule : public ::testing::TestWithParam<FolderCase> {};

TEST_P(DataFolderRule, ChoosesTheFirstFolderHoldingTheShowsFiles)
{
    const FolderCase& c = GetParam();
    TempFolder temp;
    ASSERT_FALSE(temp.path().empty());
    const fs::path root = temp.path();
    lay(root / "work", c.working);
    lay(root / "prefix" / "bin", c.beside);
    lay(root / "prefix" / "share" / "iroiro", c.installed);
    if (c.buildFolder)
        std::ofstream(root / "prefix" / "bin" / "CMakeCache.txt") << "# a build folder\n";

    const std::string work = (root / "work").string();
    const std::string bin = (root / "prefix" / "bin").string();
    std::string passedOver = "not set";
    const std::string chosen = chooseDataFolder("", work, bin, &passedOver);
    const auto folderNamed = [&](const std::string& name) {
        return name == "work" ? work : name == "bin" ? bin : name == "share" ? bin + "/" + installedDataFolder : "";
    };
    EXPECT_EQ(chosen, folderNamed(c.chosen));
    EXPECT_EQ(passedOver, folderNamed(c.passedOver)) << "the folder said to be passed over";
    if (!chosen.empty()) {
        EXPECT_TRUE(holdsShowData(chosen));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DataFolderRule, ::testing::ValuesIn(folderCases),
                         [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

TEST(DataFolderRule, DataAskedForIsUsedWhenItHasAnIroiroFolderAndOnlyThen)
{
    TempFolder temp;
    ASSERT_FALSE(temp.path().empty());
    const fs::path root = temp.path();
    lay(root / "asked", Data::empty);
    lay(root / "work", Data::all);
    lay(root / "nothing", Data::none);
    // --data names the folder holding iroiro/; an empty one still is the user's choice (its
    // pictures' notices follow), a folder without iroiro/ is refused.
    EXPECT_EQ(chooseDataFolder((root / "asked").string(), (root / "work").string(), ""), (root / "asked").string());
    EXPECT_EQ(chooseDataFolder((root / "nothing").string(), (root / "work").string(), ""), "");
}

} // namespace
