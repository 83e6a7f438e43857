// icons.cpp: the show's application icon, the gold "K" of its title, at the sizes menus use.
#include "tools/assets/icons.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "tools/assets/block_font.h"
#include "tools/png/png_writer.h"

namespace assets {

namespace {

// The title's colours: its gold letter faces, their lacquer sides, the halo behind them.
const Color kNight = FromHex(0x0B0908);
const Color kDusk = FromHex(0x3A0E0A);
const Color kGoldDark = FromHex(0xB07A18);
const Color kGoldLight = FromHex(0xFFE08A);
const Color kLacquerDark = FromHex(0x6A0806);
const Color kLacquer = FromHex(0xC0221A);
const Color kHalo = FromHex(0xF2C040);

const char kLetter = 'K';

// Draws the letter's cells of side `cell` from the top-left corner (x0, y0), each cell's
// colour given by shade(row).
template <typename Shade>
void FillLetter(Canvas& c, float x0, float y0, float cell, Shade shade) {
    ForEachTextCell(std::string(1, kLetter), [&](int column, int row) {
        const float x = x0 + column * cell, y = y0 + row * cell;
        // A hair of overlap, so neighbouring cells join without a seam.
        c.FillRect(x, y, x + cell + 0.02f * cell, y + cell + 0.02f * cell, shade(row));
    });
}

}  // namespace

const std::vector<int>& IconSizes() {
    static const std::vector<int> sizes = {48, 64, 128, 256};
    return sizes;
}

Canvas MakeIcon(int size) {
    const float s = static_cast<float>(size);
    const float mid = s * 0.5f;
    Canvas c(size, size, kNight);
    c.Shade([=](float x, float y) {
        return Mix(kDusk, kNight, std::hypot(x - mid, y - mid) / (mid * 1.42f));
    });
    // The halo: a soft glow and a bright ring round the letter, as behind the title.
    c.AddGlow({mid, mid}, s * 0.55f, Scale(kHalo, 0.35f), 2.0f);
    c.FillRing({mid, mid}, s * 0.40f, s * 0.43f, Scale(kHalo, 0.8f), Paint::Add);

    // The letter, seen a little from above and to the left: its lacquer side shows as
    // steps down and to the right of the gold face.
    const float cell = s * 0.092f;
    const float depth = s * 0.045f;
    const float x0 = mid - kGlyphColumns * cell * 0.5f - depth * 0.5f;
    const float y0 = mid - kGlyphRows * cell * 0.5f - depth * 0.5f;
    const int steps = 1 + static_cast<int>(depth);
    for (int i = steps; i >= 1; --i) {
        const float k = static_cast<float>(i) / steps;
        const Color side = Mix(kLacquer, kLacquerDark, k);
        FillLetter(c, x0 + depth * k, y0 + depth * k, cell, [=](int) { return side; });
    }
    FillLetter(c, x0, y0, cell, [](int row) {
        return Mix(kGoldLight, kGoldDark, static_cast<float>(row) / (kGlyphRows - 1));
    });
    return c;
}

int WriteIcons(const std::string& folder, std::string* error) {
    for (int size : IconSizes()) {
        const std::string apps =
            folder + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code failure;
        std::filesystem::create_directories(apps, failure);
        if (failure) {
            *error = "cannot create " + apps;
            return 0;
        }
        const Canvas icon = MakeIcon(size);
        const std::string path = apps + "/kelvo-remix.png";
        if (!png_writer::WriteRgb(path, icon.Width(), icon.Height(), icon.ToRgb8())) {
            *error = "cannot write " + path;
            return 0;
        }
    }
    return 1;
}

}  // namespace assets
