// Where the show's data files are read from.
#include "app/data_files.h"

#include "platform/paths.h"

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

bool holdsShowData(const std::string& folder)
{
    const std::string data = folder + "/" + dataFolderName + "/";
    if (pathExists(data + soundtrackFile))
        return true;
    for (const ShowPicture& picture : showPictures)
        if (pathExists(data + picture.file))
            return true;
    return false;
}

std::string chooseDataFolder(const std::string& requested, const std::string& workingFolder,
                             const std::string& programFolder)
{
    if (!requested.empty())
        return isFolder(requested + "/" + dataFolderName) ? requested : std::string();
    if (holdsShowData(workingFolder))
        return workingFolder;
    if (programFolder.empty())
        return {};
    if (holdsShowData(programFolder))
        return programFolder;
    const std::string installed = programFolder + "/" + installedDataFolder;
    if (holdsShowData(installed))
        return installed;
    return {};
}

std::string locateDataFolder(const std::string& requested)
{
    return chooseDataFolder(requested, ".", executableFolder());
}

std::vector<std::string> missingPictures()
{
    std::vector<std::string> missing;
    for (const ShowPicture& picture : showPictures)
        if (!pathExists(dataFilePath(picture.file)))
            missing.push_back(picture.file);
    return missing;
}
