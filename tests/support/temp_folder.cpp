// Temporary folders under TMPDIR (or /tmp), made with mkdtemp.
#include "support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

TempFolder::TempFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/show-test-XXXXXX";
    if (mkdtemp(pattern.data()))
        path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}
