// texture_registry.h: the table of OpenGL textures of the run, by file name.
#pragma once

class TextureRegistry {
public:
    static const int kMaxTextures = 256;
    static const int kMaxNameLength = 63;

    int textureCount;
    unsigned int textureIds[kMaxTextures];
    char fileNames[kMaxTextures][kMaxNameLength + 1];

    TextureRegistry();

    // Reads data\name and registers it as a new texture, left bound. 1 on success; 0 when
    // the table is full, the name is too long or the file cannot be read.
    int Load(const char* name);
    // Binds the texture of slot i (0 <= i < textureCount); returns 1.
    int BindIndex(int i);
    // Binds the first texture registered under exactly this name; 0 (and no bind) if none.
    int BindByName(const char* name);
};
