// A page saves no files: a screenshot says so instead (the browser's own screenshot serves).
#include "platform/picture_file.h"

bool writeNewPicture(const std::string&, const std::string&, int, int, const std::vector<std::uint8_t>&,
                     std::string&, std::string& error)
{
    error = "a page saves no pictures";
    return false;
}
