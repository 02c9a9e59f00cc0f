// The BMP decoder: header checks, then row conversion. Pure computation over bytes.
#include "textures/bitmap_decode.h"

#include <new>

namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::size_t infoHeaderSize = 40; // the smallest info header read (BITMAPINFOHEADER)
constexpr std::size_t maskBytes = 12;      // red, green and blue masks of a bit-field file
constexpr std::uint32_t uncompressed = 0;
constexpr std::uint32_t bitFields = 3;

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

// Palette tables, zero for indices beyond the stored entries.
struct Palette {
    std::uint8_t red[256] = {}, green[256] = {}, blue[256] = {};
};

Palette paletteOf(const std::uint8_t* bytes, const BitmapLayout& layout)
{
    Palette palette;
    for (std::size_t i = 0; i < layout.paletteEntries; ++i) {
        const std::uint8_t* entry = bytes + layout.paletteOffset + i * 4;
        palette.blue[i] = entry[0];
        palette.green[i] = entry[1];
        palette.red[i] = entry[2];
    }
    return palette;
}

// Stored rows into `out`'s top-first RGB rows; `out` is already sized for the layout.
void convertRows(const std::uint8_t* bytes, const BitmapLayout& layout, DecodedBitmap& out)
{
    const Palette palette = layout.bitsPerPixel == 8 ? paletteOf(bytes, layout) : Palette{};
    const std::size_t fileBytesPerPixel = std::size_t(layout.bitsPerPixel) / 8;
    for (int row = 0; row < layout.height; ++row) {
        const std::uint8_t* src = bytes + layout.pixelOffset + std::size_t(row) * layout.fileStride;
        // Bottom-up files store the picture's bottom row first; row 0 of the output is its top.
        const int outRow = layout.topDown ? row : layout.height - 1 - row;
        std::uint8_t* dst = out.pixels.data() + std::size_t(outRow) * out.rowStride;
        for (int x = 0; x < layout.width; ++x, dst += 3) {
            if (layout.bitsPerPixel == 8) {
                const std::uint8_t index = src[x];
                dst[0] = palette.red[index];
                dst[1] = palette.green[index];
                dst[2] = palette.blue[index];
            } else {
                const std::uint8_t* pixel = src + std::size_t(x) * fileBytesPerPixel;
                dst[0] = pixel[2];
                dst[1] = pixel[1];
                dst[2] = pixel[0];
            }
        }
    }
}

} // namespace

std::uint32_t DecodedBitmap::texel(int x, int y) const
{
    const std::uint8_t* p = &pixels[std::size_t(y) * rowStride + std::size_t(x) * 3];
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}

bool readBitmapLayout(const std::uint8_t* bytes, std::size_t size, BitmapLayout& layout)
{
    layout = BitmapLayout{};
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
    if (width <= 0 || width > maxBitmapSide || storedHeight == 0 || storedHeight < -maxBitmapSide ||
        storedHeight > maxBitmapSide)
        return false;

    // What follows the info header: bit-field masks (when not inside it), then the palette.
    std::size_t headerEnd = fileHeaderSize + infoSize;
    if (compression == bitFields && bits == 32) {
        const bool masksInHeader = infoSize >= infoHeaderSize + maskBytes;
        if (!masksInHeader)
            headerEnd += maskBytes;
        if (headerEnd > size || !hasStandardMasks(bytes + fileHeaderSize + infoHeaderSize))
            return false;
    } else if (compression != uncompressed) {
        return false;
    }

    std::size_t paletteEntries = 0;
    if (bits == 8) {
        paletteEntries = coloursUsed == 0 ? 256 : coloursUsed;
        if (paletteEntries > 256 || headerEnd + paletteEntries * 4 > size)
            return false;
    }
    const std::size_t paletteOffset = headerEnd;
    headerEnd += paletteEntries * 4;

    // Pixel data may start later than the headers, never inside them. Every stored row is padded
    // to 4 bytes; the last row's padding may be missing.
    const int height = storedHeight < 0 ? -storedHeight : storedHeight;
    const std::size_t fileRowSize = std::size_t(width) * (bits / 8);
    const std::size_t fileStride = (fileRowSize + 3) & ~std::size_t(3);
    if (pixelOffset < headerEnd || pixelOffset > size)
        return false;
    if (size - pixelOffset < fileStride * std::size_t(height - 1) + fileRowSize)
        return false;

    layout.width = width;
    layout.height = height;
    layout.topDown = storedHeight < 0;
    layout.bitsPerPixel = int(bits);
    layout.paletteOffset = bits == 8 ? paletteOffset : 0;
    layout.paletteEntries = paletteEntries;
    layout.pixelOffset = pixelOffset;
    layout.fileStride = fileStride;
    return true;
}

bool decodeBitmap(const std::uint8_t* bytes, std::size_t size, DecodedBitmap& out)
{
    out = DecodedBitmap{};
    BitmapLayout layout;
    if (!readBitmapLayout(bytes, size, layout))
        return false;

    // 32-bit pictures are uploaded with 4-byte row alignment, so their rows are padded here.
    const int alignment = layout.bitsPerPixel == 32 ? 4 : 1;
    const std::size_t stride = (std::size_t(layout.width) * 3 + alignment - 1) & ~std::size_t(alignment - 1);
    try {
        out.pixels.resize(stride * std::size_t(layout.height));
    } catch (const std::bad_alloc&) {
        out = DecodedBitmap{};
        return false;
    }
    out.width = layout.width;
    out.height = layout.height;
    out.unpackAlignment = alignment;
    out.rowStride = stride;
    convertRows(bytes, layout, out);
    return true;
}
