// The Windows build has no PNG encoder yet (the one the Linux build uses needs zlib): a
// screenshot says so instead of writing anything.
#include "platform/picture_file.h"

bool writeNewPicture(const std::string&, const std::string&, int, int, const std::vector<std::uint8_t>&,
                     std::string&, std::string& error)
{
    error = "screenshots are not available in this build";
    return false;
}
