// Where the show's data files are read from.
#include "app/data_files.h"

#include "platform/paths.h"

#include <iterator>

namespace {

std::string& folderSetting()
{
    static std::string folder = defaultDataFolder;
    return folder;
}

} // namespace

const std::string& dataFolder()
{
    return folderSetting();
}

void setDataFolder(const std::string& folder)
{
    std::string& setting = folderSetting();
    setting = folder.empty() ? std::string(defaultDataFolder) : folder;
    if (setting.back() != '/')
        setting += '/';
}

std::string dataFilePath(const char* file)
{
    return dataFolder() + file;
}

namespace {

// How many of the show's five files `folder`/iroiro/ holds.
int showFilesIn(const std::string& folder)
{
    const std::string data = folder + "/" + dataFolderName + "/";
    int held = pathExists(data + soundtrackFile) ? 1 : 0;
    for (const ShowPicture& picture : showPictures)
        held += pathExists(data + picture.file) ? 1 : 0;
    return held;
}

constexpr int showFileCount = 1 + int(std::size(showPictures));

} // namespace

bool holdsShowData(const std::string& folder)
{
    return showFilesIn(folder) > 0;
}

bool holdsAllShowData(const std::string& folder)
{
    return showFilesIn(folder) == showFileCount;
}

bool isBuildFolder(const std::string& programFolder)
{
    return !programFolder.empty() && pathExists(programFolder + "/CMakeCache.txt");
}

std::string chooseDataFolder(const std::string& requested, const std::string& workingFolder,
                             const std::string& programFolder, std::string* passedOver)
{
    if (passedOver)
        passedOver->clear();
    if (!requested.empty())
        return isFolder(requested + "/" + dataFolderName) ? requested : std::string();
    std::vector<std::string> candidates{workingFolder};
    if (!programFolder.empty()) {
        candidates.push_back(programFolder);
        candidates.push_back(programFolder + "/" + installedDataFolder);
    }
    // A build's program reads the first folder holding any of the files, its working folder's
    // iroiro/ above all, whole or not.
    const bool preferComplete = !programFolder.empty() && !isBuildFolder(programFolder);
    std::string firstPartial;
    for (const std::string& candidate : candidates) {
        const int held = showFilesIn(candidate);
        if (held > 0 && !preferComplete)
            return candidate;
        if (held == showFileCount) {
            if (passedOver)
                *passedOver = firstPartial;
            return candidate;
        }
        if (held > 0 && firstPartial.empty())
            firstPartial = candidate;
    }
    return firstPartial;
}

std::string locateDataFolder(const std::string& requested, std::string* passedOver)
{
    return chooseDataFolder(requested, ".", executableFolder(), passedOver);
}

std::vector<std::string> missingPictures()
{
    std::vector<std::string> missing;
    for (const ShowPicture& picture : showPictures)
        if (!pathExists(dataFilePath(picture.file)))
            missing.push_back(picture.file);
    return missing;
}
