// The back buffer read after glFinish and written whole to a file.
#include "back_buffer.h"

#include <GL/gl.h>

#include <cstdio>
#include <string>
#include <vector>

void writeBackBuffer(const char* path)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2];
    const int height = viewport[3];
    std::vector<unsigned char> rgb(std::size_t(width) * std::size_t(height) * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    const std::string partial = std::string(path) + ".partial";
    if (std::FILE* file = std::fopen(partial.c_str(), "wb")) {
        std::fprintf(file, "%d %d\n", width, height);
        std::fwrite(rgb.data(), 1, rgb.size(), file);
        if (std::fclose(file) == 0)
            std::rename(partial.c_str(), path);
    }
}
