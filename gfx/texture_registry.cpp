// texture_registry.cpp: loading PNG files into OpenGL textures and binding them by file name.
#include "gfx/texture_registry.h"

#include "platform/gl.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/png_reader.h"

TextureRegistry::TextureRegistry() : textureCount(0) {}

int TextureRegistry::Load(const char* name) {
    if (textureCount >= kMaxTextures) return 0;
    // A longer name would not fit its slot; it is refused before any file is read.
    if (std::strlen(name) > size_t(kMaxNameLength)) return 0;
    char path[kMaxNameLength + 8];
    std::snprintf(path, sizeof path, "data\\%s", name);

    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    if (!LoadPngRgb(&pixels, path, &width, &height)) return 0;

    glGenTextures(1, &textureIds[textureCount]);
    glBindTexture(GL_TEXTURE_2D, textureIds[textureCount]);
    // Three internal components: the pixels' fourth byte carries nothing and is dropped.
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    std::free(pixels);

    std::memcpy(fileNames[textureCount], name, std::strlen(name) + 1);
    ++textureCount;
    return 1;
}

int TextureRegistry::BindIndex(int i) {
    glBindTexture(GL_TEXTURE_2D, textureIds[i]);
    return 1;
}

int TextureRegistry::BindByName(const char* name) {
    for (int i = 0; i < textureCount; ++i)
        if (std::strcmp(fileNames[i], name) == 0) return BindIndex(i);
    return 0;
}
