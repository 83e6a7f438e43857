// scene_load.cpp: making a Scene, loading its 3DS file and preloading its textures.
#include "scene/scene.h"

#include <lib3ds/camera.h>
#include <lib3ds/material.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/display_settings.h"
#include "app/program_state.h"
#include "gfx/texture_registry.h"
#include "platform/file_paths.h"
#include "scene/scene_file.h"

namespace {

// Copies text into a buffer of size bytes, cutting it short rather than overflowing.
void CopyBounded(char* destination, std::size_t size, const char* text) {
    const std::size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(destination, text, length);
    destination[length] = '\0';
}

void Report(const char* text) {
    if (displaySettings) displaySettings->ReportError(text);
}

// lib3ds reads the file only after its chunk structure has passed the check, since lib3ds
// itself can hang or write out of bounds on a damaged file.
Lib3dsFile* LoadCheckedFile(const char* programPath) {
    char resolved[1024];
    ResolveProgramPath(programPath, resolved, sizeof resolved);
    return resolved[0] ? ReadSceneFile(resolved) : nullptr;
}

}  // namespace

Scene::Scene() : file(nullptr), cameraName(nullptr), blending(0), faultReported(0) {
    path[0] = '\0';
    targetName[0] = '\0';
}

Scene::~Scene() {
    if (file) lib3ds_file_free(file);
}

int Scene::Load(const char* name) {
    const std::string fullPath = std::string("data\\") + (name ? name : "");
    CopyBounded(path, sizeof path, fullPath.c_str());

    if (file) lib3ds_file_free(file);  // a second load replaces the first file
    cameraName = nullptr;
    // A name too long for path is not opened cut short: that could be another file.
    file = fullPath.size() < sizeof path ? LoadCheckedFile(path) : nullptr;
    if (!file) {
        Report(("Load3ds error : Can't load 3ds file " + fullPath).c_str());
        return 0;
    }
    if (!file->cameras) {
        Report("Load3ds error : no camera");
        lib3ds_file_free(file);
        file = nullptr;
        return 0;
    }
    cameraName = file->cameras->name;  // lib3ds keeps cameras in name order
    CopyBounded(targetName, sizeof targetName, "Camera01");
    PreloadTextures();
    lib3ds_file_eval(file, 0.0f);  // the first frame drawn shows the pose of frame 0
    return 1;
}

int Scene::PreloadTextures() {
    if (!file || !textureRegistry) return 1;
    // Each material asks on its own, even for a file another has named already; the
    // registry decides what a repeated name means.
    for (Lib3dsMaterial* material = file->materials; material; material = material->next)
        if (material->texture1_map.name[0] != '\0')
            textureRegistry->Load(material->texture1_map.name);
    return 1;
}
