// Where the show's data files are read from.
#include "app/data_files.h"

#include "app/platform/paths.h"

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

std::string locateDataFolder(const std::string& requested)
{
    const std::string name = std::string("/") + dataFolderName;
    if (!requested.empty())
        return isDirectory(requested + name) ? requested : std::string();
    if (pathExists(std::string(".") + name))
        return ".";
    const std::string besideExecutable = executableFolder();
    if (!besideExecutable.empty() && isDirectory(besideExecutable + name))
        return besideExecutable;
    return {};
}
