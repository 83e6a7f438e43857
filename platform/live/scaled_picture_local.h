// scaled_picture_local.h: the geometry of a picture scaled onto a larger target, and the
// widening of its pixels; plain functions, shared by both ways of presenting it.
#pragma once

#include <SDL_rect.h>
#include <SDL_stdinc.h>

#include <cstddef>
#include <vector>

namespace live {

// Where a picture of pictureWidth x pictureHeight goes on a target of targetWidth x
// targetHeight: the largest rectangle of the picture's aspect ratio that fits, centred.
SDL_Rect FitPicture(int pictureWidth, int pictureHeight, int targetWidth, int targetHeight);

// The parts of a target of targetWidth x targetHeight outside fit, as at most four
// rectangles (left, right, above, below); none when fit covers it.
std::vector<SDL_Rect> BarsAround(const SDL_Rect& fit, int targetWidth, int targetHeight);

// Widens count RGB 5-6-5 pixels to 0xAARRGGBB, opaque, each channel's high bits repeated
// into its low bits as Mesa widens them, so that the picture keeps the values GL gives.
void ExpandRgb565(const Uint16* from, Uint32* to, std::size_t count);

}  // namespace live
