// soundtrack.h: the show's sound and a video of the frames, as kelvo-capture records them.
#pragma once

#include <string>

// Writes what the show's music played, from its start to its stop on the virtual clock,
// as outFolder/soundtrack.wav. Returns 1, or 0 after a message on stderr.
int WriteSoundtrack(const std::string& outFolder);

// Muxes outFolder's frames (at fps) and its soundtrack.wav into videoPath. Returns 1, or 0
// after a message on stderr.
int WriteVideo(const std::string& outFolder, int fps, const std::string& videoPath);
