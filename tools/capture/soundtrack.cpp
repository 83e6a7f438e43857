// soundtrack.cpp: the captured soundtrack and video, through the headless sound layer's export.
#include "tools/capture/soundtrack.h"

#include <cstdio>

#include "platform/headless/soundtrack_export.h"

int WriteSoundtrack(const std::string& outFolder) {
    std::string error;
    if (headless::WriteSoundtrackWav(outFolder + "/soundtrack.wav", &error)) return 1;
    std::fprintf(stderr, "kelvo-capture: no soundtrack: %s\n", error.c_str());
    return 0;
}

int WriteVideo(const std::string& outFolder, int fps, const std::string& videoPath) {
    std::string error;
    if (headless::MuxVideo(outFolder + "/frame_*.png", fps, outFolder + "/soundtrack.wav", videoPath, &error))
        return 1;
    std::fprintf(stderr, "kelvo-capture: no video: %s\n", error.c_str());
    return 0;
}
