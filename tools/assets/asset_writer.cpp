// asset_writer.cpp: writing the whole data folder of the show.
#include "tools/assets/asset_writer.h"

#include <sys/stat.h>

#include <cerrno>
#include <thread>

#include "app/win_main.h"
#include "tools/assets/pictures.h"
#include "tools/assets/scenes.h"
#include "tools/assets/soundtrack.h"
#include "tools/assets/textures.h"

namespace assets {

namespace {

int MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return 1;
    return 0;
}

}  // namespace

int WriteAssets(const std::string& folder, std::string* error) {
    const size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0) MakeFolder(folder.substr(0, slash));
    if (!MakeFolder(folder)) {
        *error = "cannot create " + folder;
        return 0;
    }
    // The soundtrack takes longest; it is made on a second thread while the images and
    // scenes are written. Each part writes its own files, so the result does not depend on
    // which finishes first.
    int soundWritten = 0;
    std::thread sound([&folder, &soundWritten] {
        soundWritten = WriteSoundtrack(folder + "/" + kSoundtrackName);
    });
    int imagesWritten = WriteScenes(folder, error);
    if (imagesWritten && !WriteTextures(folder)) {
        *error = "cannot write the textures into " + folder;
        imagesWritten = 0;
    }
    if (imagesWritten && !WritePictures(folder)) {
        *error = "cannot write the pictures into " + folder;
        imagesWritten = 0;
    }
    sound.join();
    if (!imagesWritten) return 0;
    if (!soundWritten) {
        *error = "cannot write the soundtrack into " + folder;
        return 0;
    }
    return 1;
}

}  // namespace assets
