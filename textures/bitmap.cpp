// Uncompressed BMP files into GL textures: a decoder over bytes and the loader around it.
#include "textures/bitmap.h"

#include "app/platform/notice.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <sys/stat.h>

namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::size_t infoHeaderSize = 40; // the smallest info header read (BITMAPINFOHEADER)
constexpr int maxSide = 16384;
constexpr std::uint32_t uncompressed = 0;
constexpr std::uint32_t bitFields = 3;

// Enough bytes for the largest picture accepted, with its palette and headers.
constexpr std::size_t maxFileSize = std::size_t(maxSide) * maxSide * 4 + 4096;

std::uint32_t u16At(const std::uint8_t* p) { return p[0] | (std::uint32_t(p[1]) << 8); }
std::uint32_t u32At(const std::uint8_t* p)
{
    return p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

// 32-bit files with bit-field masks are read only when the masks place blue, green and red in
// bytes 0, 1 and 2, as uncompressed 32-bit files do.
bool hasStandardMasks(const std::uint8_t* masks)
{
    return u32At(masks) == 0x00FF0000u && u32At(masks + 4) == 0x0000FF00u && u32At(masks + 8) == 0x000000FFu;
}

} // namespace

std::uint32_t DecodedBitmap::texel(int x, int y) const
{
    const std::uint8_t* p = &pixels[std::size_t(y) * rowStride + std::size_t(x) * 3];
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}

bool decodeBitmap(const std::uint8_t* bytes, std::size_t size, DecodedBitmap& out)
{
    out = DecodedBitmap{};
    if (size < fileHeaderSize + infoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return false;

    const std::uint32_t pixelOffset = u32At(bytes + 10);
    const std::uint32_t infoSize = u32At(bytes + 14);
    const std::int32_t width = std::int32_t(u32At(bytes + 18));
    const std::int32_t storedHeight = std::int32_t(u32At(bytes + 22));
    const std::uint32_t bits = u16At(bytes + 28);
    const std::uint32_t compression = u32At(bytes + 30);
    const std::uint32_t coloursUsed = u32At(bytes + 46);

    if (infoSize < infoHeaderSize || infoSize > size - fileHeaderSize)
        return false;
    if (bits != 24 && bits != 8 && bits != 32)
        return false;
    // Top-down files store a negative height; INT32_MIN has no positive counterpart.
    if (width <= 0 || width > maxSide || storedHeight == 0 || storedHeight < -maxSide || storedHeight > maxSide)
        return false;
    const bool topDown = storedHeight < 0;
    const int height = topDown ? -storedHeight : storedHeight;

    // What follows the info header: bit-field masks (when not inside it), then the palette.
    std::size_t headerEnd = fileHeaderSize + infoSize;
    if (compression == bitFields && bits == 32) {
        const bool masksInHeader = infoSize >= infoHeaderSize + 12;
        const std::size_t masksAt = fileHeaderSize + infoHeaderSize;
        if (!masksInHeader)
            headerEnd += 12;
        if (headerEnd > size || !hasStandardMasks(bytes + masksAt))
            return false;
    } else if (compression != uncompressed) {
        return false;
    }

    // Palette tables, zero for indices beyond the stored entries.
    std::uint8_t red[256] = {}, green[256] = {}, blue[256] = {};
    if (bits == 8) {
        const std::uint32_t entries = coloursUsed == 0 ? 256 : coloursUsed;
        if (entries > 256 || headerEnd + std::size_t(entries) * 4 > size)
            return false;
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint8_t* entry = bytes + headerEnd + i * 4;
            blue[i] = entry[0];
            green[i] = entry[1];
            red[i] = entry[2];
        }
        headerEnd += std::size_t(entries) * 4;
    }

    // Pixel data may start later than the headers, never inside them. Every stored row is padded
    // to 4 bytes; the last row's padding may be missing.
    const std::size_t fileBytesPerPixel = bits / 8;
    const std::size_t fileRowSize = std::size_t(width) * fileBytesPerPixel;
    const std::size_t fileStride = (fileRowSize + 3) & ~std::size_t(3);
    if (pixelOffset < headerEnd || pixelOffset > size)
        return false;
    if (size - pixelOffset < fileStride * std::size_t(height - 1) + fileRowSize)
        return false;

    // 32-bit pictures are uploaded with 4-byte row alignment, so their rows are padded here.
    const int alignment = bits == 32 ? 4 : 1;
    const std::size_t stride = (std::size_t(width) * 3 + alignment - 1) & ~std::size_t(alignment - 1);
    try {
        out.pixels.resize(stride * std::size_t(height));
    } catch (const std::bad_alloc&) {
        out = DecodedBitmap{};
        return false;
    }
    out.width = width;
    out.height = height;
    out.unpackAlignment = alignment;
    out.rowStride = stride;

    for (int row = 0; row < height; ++row) {
        const std::uint8_t* src = bytes + pixelOffset + std::size_t(row) * fileStride;
        // Bottom-up files store the picture's bottom row first; row 0 of the output is its top.
        const int outRow = topDown ? row : height - 1 - row;
        std::uint8_t* dst = out.pixels.data() + std::size_t(outRow) * stride;
        for (int x = 0; x < width; ++x, dst += 3) {
            if (bits == 8) {
                const std::uint8_t index = src[x];
                dst[0] = red[index];
                dst[1] = green[index];
                dst[2] = blue[index];
            } else {
                const std::uint8_t* pixel = src + std::size_t(x) * fileBytesPerPixel;
                dst[0] = pixel[2];
                dst[1] = pixel[1];
                dst[2] = pixel[0];
            }
        }
    }
    return true;
}

namespace {

void reportLoadFailure(const char* path)
{
    const std::string text = std::string("Load Bitmap failed : ") + path;
    showNotice(text.c_str());
}

// The whole file. False if it cannot be read, or is larger than any picture the show reads.
bool readFile(std::FILE* file, std::vector<std::uint8_t>& bytes)
{
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || std::uint64_t(info.st_size) > maxFileSize)
        return false;
    try {
        bytes.resize(std::size_t(info.st_size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    return !std::ferror(file);
}

// Only regular files are opened: a pipe would block start-up in fopen, and a device such as
// /dev/zero never ends.
bool isOtherThanAFile(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 && !S_ISREG(info.st_mode);
}

} // namespace

int loadBitmapTexture(const char* path)
{
    if (isOtherThanAFile(path)) {
        reportLoadFailure(path);
        return 0;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        reportLoadFailure(path);
        return -1;
    }
    std::vector<std::uint8_t> bytes;
    const bool read = readFile(file, bytes);
    std::fclose(file);

    DecodedBitmap picture;
    if (!read || !decodeBitmap(bytes.data(), bytes.size(), picture)) {
        reportLoadFailure(path);
        return 0;
    }
    bytes = {};

    glPixelStorei(GL_UNPACK_ALIGNMENT, picture.unpackAlignment);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, picture.width, picture.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 picture.pixels.data());
    return int(name);
}
