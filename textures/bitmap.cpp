// Uncompressed BMP files into GL textures: the picture read and checked, then uploaded.
#include "textures/bitmap.h"

#include "platform/notice.h"
#include "textures/picture_file.h"

#include <GL/gl.h>
#include <string>

int loadBitmapTexture(const char* path)
{
    DecodedBitmap picture;
    const PictureRead read = readPictureFile(path, picture);
    if (read != PictureRead::ok) {
        const std::string text = std::string("Load Bitmap failed : ") + path;
        showNotice(text.c_str());
        return read == PictureRead::cannotOpen ? -1 : 0;
    }

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
