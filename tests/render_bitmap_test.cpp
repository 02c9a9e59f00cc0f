// The loader's upload: what GL holds after loadBitmapTexture, read back texel by texel.
#include "support/bmp_fixture.h"
#include "support/offscreen_fixture.h"

#include "textures/bitmap.h"

#include <cstdio>

namespace {

class BitmapUpload : public OffscreenTest {
protected:
    // The level-0 image of texture `name` as tightly packed RGB rows, row 0 at t = 0.
    static std::vector<std::uint8_t> texelsOf(int name, int& width, int& height)
    {
        glBindTexture(GL_TEXTURE_2D, GLuint(name));
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        std::vector<std::uint8_t> rgb(std::size_t(width) * height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return rgb;
    }
};

TEST_F(BitmapUpload, EachDepthUploadsThePictureTopRowFirst)
{
    // A 3-pixel-wide picture: odd widths need the 32-bit file's row alignment to be right.
    struct Case {
        int bits;
        int width;
    };
    for (Case c : {Case{24, 4}, Case{8, 4}, Case{32, 3}}) {
        BmpFixture f;
        f.bits = c.bits;
        f.width = c.width;
        f.height = 2;
        f.palette = {0, 0, 255, 0, 255, 0, 0, 0}; // entry 0 red, entry 1 blue
        for (int row = 0; row < 2; ++row) {
            for (int x = 0; x < c.width; ++x) {
                const bool blue = row == 0; // the bottom row is blue, the top row red
                if (c.bits == 8)
                    f.rows.push_back(blue ? 1 : 0);
                else
                    f.rows.insert(f.rows.end(), {std::uint8_t(blue ? 255 : 0), 0, std::uint8_t(blue ? 0 : 255)});
                if (c.bits == 32)
                    f.rows.push_back(0x80);
            }
        }
        const std::string path = writeTempFile("upload.bmp", f.bytes());
        const int name = loadBitmapTexture(path.c_str());
        std::remove(path.c_str());
        ASSERT_GT(name, 0) << c.bits;

        GLint filter = 0, wrap = 0;
        glBindTexture(GL_TEXTURE_2D, GLuint(name));
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
        EXPECT_EQ(filter, GL_LINEAR);
        EXPECT_EQ(wrap, GL_REPEAT);

        int width = 0, height = 0;
        const std::vector<std::uint8_t> texels = texelsOf(name, width, height);
        ASSERT_EQ(width, c.width);
        ASSERT_EQ(height, 2);
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(texels[std::size_t(x) * 3], 255) << c.bits << "-bit: top row red at t = 0";
            EXPECT_EQ(texels[std::size_t(width + x) * 3 + 2], 255) << c.bits << "-bit: bottom row blue";
            EXPECT_EQ(texels[std::size_t(width + x) * 3], 0) << c.bits << "-bit";
        }
        GLuint texture = GLuint(name);
        glDeleteTextures(1, &texture);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
