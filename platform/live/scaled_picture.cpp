// scaled_picture.cpp: where a scaled picture goes, and the widening of its pixels.
#include "platform/live/scaled_picture_local.h"

namespace live {

SDL_Rect FitPicture(int pictureWidth, int pictureHeight, int targetWidth, int targetHeight) {
    SDL_Rect fit = {0, 0, targetWidth, targetHeight};
    if (pictureWidth <= 0 || pictureHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return fit;
    long long wide = static_cast<long long>(targetWidth) * pictureHeight;
    long long tall = static_cast<long long>(targetHeight) * pictureWidth;
    if (wide > tall)  // bars left and right
        fit.w = static_cast<int>((tall + pictureHeight / 2) / pictureHeight);
    else if (wide < tall)  // bars above and below
        fit.h = static_cast<int>((wide + pictureWidth / 2) / pictureWidth);
    fit.x = (targetWidth - fit.w) / 2;
    fit.y = (targetHeight - fit.h) / 2;
    return fit;
}

std::vector<SDL_Rect> BarsAround(const SDL_Rect& fit, int targetWidth, int targetHeight) {
    std::vector<SDL_Rect> bars;
    auto add = [&bars](int x, int y, int w, int h) {
        if (w > 0 && h > 0) bars.push_back({x, y, w, h});
    };
    add(0, 0, fit.x, targetHeight);
    add(fit.x + fit.w, 0, targetWidth - fit.x - fit.w, targetHeight);
    add(fit.x, 0, fit.w, fit.y);
    add(fit.x, fit.y + fit.h, fit.w, targetHeight - fit.y - fit.h);
    return bars;
}

void ExpandRgb565(const Uint16* from, Uint32* to, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        Uint32 red = from[i] >> 11, green = (from[i] >> 5) & 0x3f, blue = from[i] & 0x1f;
        to[i] = 0xff000000u | ((red << 3 | red >> 2) << 16) | ((green << 2 | green >> 4) << 8) |
                (blue << 3 | blue >> 2);
    }
}

}  // namespace live
