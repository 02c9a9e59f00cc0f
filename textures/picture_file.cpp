// A picture file read safely and decoded.
#include "textures/picture_file.h"

#include "platform/whole_files.h"

PictureRead readPictureFile(const char* path, DecodedBitmap& picture)
{
    picture = DecodedBitmap{};
    std::vector<std::uint8_t> bytes;
    switch (readRegularFile(path, maxBitmapFileBytes, bytes)) {
    case FileRead::ok:
        break;
    case FileRead::cannotOpen:
        return PictureRead::cannotOpen;
    default:
        return PictureRead::notABitmap;
    }
    return decodeBitmap(bytes.data(), bytes.size(), picture) ? PictureRead::ok : PictureRead::notABitmap;
}
