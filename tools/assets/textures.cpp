// textures.cpp: the material textures of the scenes, drawn in code.
//
// Opaque materials are lit by a head light and multiplied by these colours, so their textures
// are bright and mid-toned; transparent materials are added onto the frame, so their textures
// are black wherever nothing should glow.
#include "tools/assets/textures.h"

#include <cmath>
#include <functional>
#include <utility>

#include "tools/assets/block_font.h"
#include "tools/assets/numbers.h"
#include "tools/assets/random.h"
#include "tools/png/png_writer.h"

namespace assets {

namespace {

constexpr float kTau = 2.0f * kPi;

const Color kBlack{0, 0, 0};

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

// Radial glow of a given tint, black at the edge of the square.
Canvas Glow(Color tint, int size) {
    Canvas c(size, size, kBlack);
    const float half = size * 0.5f;
    c.Shade([=](float x, float y) {
        const float d = std::hypot(x - half, y - half) / half;
        const float core = std::exp(-d * d * 28.0f);
        const float halo = std::pow(Clamp01(1.0f - d), 2.2f);
        return Color{Clamp01(tint.r * halo + core), Clamp01(tint.g * halo + core),
                     Clamp01(tint.b * halo + core)};
    });
    return c;
}

// A line of light along u (across the texture's width), fading above and below.
Canvas Beam(Color tint) {
    Canvas c(128, 128, kBlack);
    c.Shade([=](float, float y) {
        const float d = std::fabs(y - 64.0f) / 64.0f;
        const float core = std::exp(-d * d * 150.0f);
        const float halo = std::pow(Clamp01(1.0f - d), 3.0f) * 0.8f;
        return Color{Clamp01(tint.r * halo + core), Clamp01(tint.g * halo + core),
                     Clamp01(tint.b * halo + core)};
    });
    return c;
}

// Bright square outline with a soft inner glow: on every face of a mesh it draws the edges.
Canvas Wire(Color tint) {
    Canvas c(128, 128, kBlack);
    c.Shade([=](float x, float y) {
        const float e = std::min(std::min(x, 128.0f - x), std::min(y, 128.0f - y)) / 64.0f;
        const float line = std::exp(-e * e * 120.0f);
        const float inner = std::exp(-e * 9.0f) * 0.35f;
        return Color{Clamp01(tint.r * (line + inner) + line * 0.5f),
                     Clamp01(tint.g * (line + inner) + line * 0.5f),
                     Clamp01(tint.b * (line + inner) + line * 0.5f)};
    });
    return c;
}

Canvas Ring(Color tint) {
    Canvas c(256, 256, kBlack);
    c.Shade([=](float x, float y) {
        const float d = std::hypot(x - 128.0f, y - 128.0f) / 128.0f;
        const float ring = std::exp(-std::pow((d - 0.8f) * 14.0f, 2.0f));
        const float inner = std::exp(-std::pow((d - 0.8f) * 4.0f, 2.0f)) * 0.4f;
        // The glow fades out before the edge, so the square it is drawn on never shows.
        const float edge = Clamp01((1.0f - d) / 0.12f);
        const float v = (ring + inner) * edge * edge * (3.0f - 2.0f * edge);
        return Color{Clamp01(tint.r * v + ring * 0.4f), Clamp01(tint.g * v + ring * 0.4f),
                     Clamp01(tint.b * v + ring * 0.4f)};
    });
    return c;
}

Canvas Grid(Color tint, int cells) {
    Canvas c(256, 256, kBlack);
    const float cell = 256.0f / cells;
    c.Shade([=](float x, float y) {
        const float fx = std::fmod(x, cell), fy = std::fmod(y, cell);
        const float e = std::min(std::min(fx, cell - fx), std::min(fy, cell - fy));
        const float line = std::exp(-e * e * 0.5f) + 0.25f * std::exp(-e * 0.25f);
        return Color{Clamp01(tint.r * line), Clamp01(tint.g * line), Clamp01(tint.b * line)};
    });
    return c;
}

Canvas Gold() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const float brushed = TileFractal(x / 64.0f, y / 2.0f, 4, 3, 11) * 0.35f;
        const float band = 0.5f + 0.5f * std::sin(y / 256.0f * kTau * 2.0f);
        return Mix(FromHex(0xB07A18), FromHex(0xFFE08A), Clamp01(0.35f + brushed + 0.3f * band));
    });
    // A thin dark bevel line around the edge of each face.
    for (int i = 0; i < 4; ++i) {
        const float a = 4.0f + i;
        c.FillRect(a, a, 256.0f - a, a + 1.0f, Scale(FromHex(0x6A4410), 1.0f));
        c.FillRect(a, 255.0f - a, 256.0f - a, 256.0f - a, FromHex(0x6A4410));
    }
    return c;
}

Canvas Lacquer() {
    Canvas c(256, 256, FromHex(0xB3140F));
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 32.0f, y / 32.0f, 8, 4, 3);
        return Mix(FromHex(0x8A0C08), FromHex(0xE0301E), n);
    });
    for (int i = 0; i < 4; ++i) {
        const float v = 20.0f + i * 72.0f;
        c.FillRect(0, v, 256, v + 6, FromHex(0xF2C040));
    }
    return c;
}

Canvas Lava() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 32.0f, y / 32.0f, 8, 5, 7);
        const float veins = std::pow(1.0f - std::fabs(2.0f * n - 1.0f), 6.0f);
        Color base = Mix(FromHex(0x5A0A06), FromHex(0xE04010), n);
        return Mix(base, FromHex(0xFFE070), veins);
    });
    return c;
}

Canvas TubePanels() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 32.0f, y / 32.0f, 8, 3, 21) * 0.25f;
        return Mix(FromHex(0x3A3E48), FromHex(0x8A92A0), 0.4f + n);
    });
    // Panel seams, rivets and a glowing stripe across each panel.
    for (int i = 0; i < 4; ++i) {
        const float v = i * 64.0f;
        c.FillRect(0, v, 256, v + 3, FromHex(0x16181C));
        c.FillRect(v, 0, v + 3, 256, FromHex(0x16181C));
        c.FillRect(0, v + 28, 256, v + 36, FromHex(0xFF8A20));
        c.FillRect(0, v + 30, 256, v + 34, FromHex(0xFFE0A0));
        for (int k = 0; k < 4; ++k) {
            c.FillCircle({k * 64.0f + 10.0f, v + 10.0f}, 3.0f, FromHex(0xC8CCD4));
            c.FillCircle({k * 64.0f + 54.0f, v + 54.0f}, 3.0f, FromHex(0xC8CCD4));
        }
    }
    return c;
}

// A triangular lattice: three families of lines 60 degrees apart, repeating on 256 pixels.
Canvas Lattice(Color tint) {
    Canvas c(256, 256, kBlack);
    c.Shade([=](float x, float y) {
        const float spacing = 32.0f;
        auto line = [spacing](float d) {
            const float f = std::fmod(std::fabs(d), spacing);
            const float e = std::min(f, spacing - f);
            return std::exp(-e * e * 0.4f) + 0.12f * std::exp(-e * 0.2f);
        };
        // Directions chosen so every family repeats after 256 pixels in x and in y.
        const float v = line(y) + line(x + y * 0.5f) + line(x - y * 0.5f);
        return Color{Clamp01(tint.r * v), Clamp01(tint.g * v), Clamp01(tint.b * v)};
    });
    return c;
}

Canvas Facade() {
    Canvas c(256, 256, FromHex(0x2A3140));
    Random random(42);
    const Color lit[] = {FromHex(0xFFD27A), FromHex(0xFFF2C0), FromHex(0x9FD8FF),
                         FromHex(0xFF9A50)};
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 8; ++col) {
            const float x = col * 32.0f + 6.0f, y = row * 16.0f + 4.0f;
            const bool on = random.Unit() < 0.55f;
            const Color color = on ? lit[random.Below(4)] : FromHex(0x101622);
            c.FillRect(x, y, x + 20.0f, y + 9.0f, color);
        }
    }
    for (int col = 0; col <= 8; ++col)
        c.FillRect(col * 32.0f - 1.5f, 0, col * 32.0f + 1.5f, 256, FromHex(0x5A6478));
    return c;
}

Canvas Concrete() {
    Canvas c(128, 128, kBlack);
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 16.0f, y / 16.0f, 8, 4, 5);
        return Mix(FromHex(0x505660), FromHex(0x9AA0AA), n);
    });
    c.FillRect(0, 0, 128, 6, FromHex(0x30343A));
    c.FillRect(56, 40, 88, 72, FromHex(0xFF3030));
    c.FillRect(62, 46, 82, 66, FromHex(0x30343A));
    return c;
}

Canvas Street() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 16.0f, y / 16.0f, 16, 3, 9) * 0.2f;
        return Mix(FromHex(0x22252C), FromHex(0x3A3E48), 0.3f + n);
    });
    // Two crossing roads with dashed centre lines and kerbs; blocks in between are plazas.
    c.FillRect(0, 0, 256, 64, FromHex(0x14161A));
    c.FillRect(0, 0, 64, 256, FromHex(0x14161A));
    for (int k = 0; k < 8; ++k) {
        c.FillRect(k * 32.0f + 4.0f, 30, k * 32.0f + 20.0f, 34, FromHex(0xF0D060));
        c.FillRect(30, k * 32.0f + 4.0f, 34, k * 32.0f + 20.0f, FromHex(0xF0D060));
    }
    c.FillRect(64, 64, 256, 68, FromHex(0x8890A0));
    c.FillRect(64, 64, 68, 256, FromHex(0x8890A0));
    return c;
}

Canvas Paper(Color tint) {
    Canvas c(128, 128, tint);
    c.Shade([=](float x, float y) {
        const float n = TileFractal(x / 16.0f, y / 16.0f, 8, 3, 13) * 0.12f;
        return Scale(tint, 0.88f + n);
    });
    c.FillCapsule({0, 64}, {128, 64}, 1.2f, Scale(tint, 0.7f));
    c.FillRect(0, 120, 128, 128, FromHex(0xD21F1B));
    return c;
}

Canvas Cloud() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const float d = std::hypot(x - 128.0f, y - 128.0f) / 128.0f;
        const float n = TileFractal(x / 32.0f, y / 32.0f, 8, 4, 31);
        const float v = Clamp01((n * 1.6f - 0.2f) * std::pow(Clamp01(1.0f - d), 1.3f) * 1.5f);
        return Color{v * 0.85f, v * 0.8f, v * 0.9f};
    });
    return c;
}

// Sky colours from the horizon (bottom) up, for a backdrop drawn additively.
Canvas Dawn() {
    Canvas c(64, 256, kBlack);
    c.Shade([](float, float y) {
        const float up = 1.0f - y / 256.0f;
        const Color horizon = FromHex(0xFF9A50), high = FromHex(0x2A5AB0), top = FromHex(0x0A1A40);
        return up < 0.35f ? Mix(horizon, high, up / 0.35f) : Mix(high, top, (up - 0.35f) / 0.65f);
    });
    return c;
}

Canvas Land() {
    Canvas c(512, 512, kBlack);
    const Color fields[] = {FromHex(0x5E8C3A), FromHex(0x8FB04A), FromHex(0xC9B458),
                            FromHex(0x4D7A44), FromHex(0xA88B4A), FromHex(0x6FA060)};
    c.Shade([&fields](float x, float y) {
        // Patchwork: cells of a coarse grid, nudged by noise so the edges wander.
        const float wx = x + 18.0f * (TileNoise(x / 64.0f, y / 64.0f, 8, 2) - 0.5f);
        const float wy = y + 18.0f * (TileNoise(x / 64.0f, y / 64.0f, 8, 3) - 0.5f);
        const int cx = static_cast<int>(wx / 64.0f + 8) % 8,
                  cy = static_cast<int>(wy / 64.0f + 8) % 8;
        const Color base = fields[(cx * 7 + cy * 3 + cx * cy) % 6];
        const float n = TileFractal(x / 8.0f, y / 8.0f, 64, 2, 77) * 0.25f;
        return Scale(base, 0.85f + n);
    });
    // A river winding across the tile.
    for (int i = 0; i < 64; ++i) {
        const float t0 = i / 64.0f, t1 = (i + 1) / 64.0f;
        const Point a{t0 * 512.0f, 256.0f + 90.0f * std::sin(t0 * kTau)};
        const Point b{t1 * 512.0f, 256.0f + 90.0f * std::sin(t1 * kTau)};
        c.FillCapsule(a, b, 9.0f, FromHex(0x3A78B8));
    }
    return c;
}

Canvas Sea() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 32.0f, y / 16.0f, 8, 4, 19);
        const float crest =
            std::pow(Clamp01(std::sin((y / 256.0f * 8.0f + n * 2.0f) * kTau) * 0.5f + 0.5f), 12.0f);
        return Mix(Mix(FromHex(0x0A2A4A), FromHex(0x1A5A8A), n), FromHex(0xB0E0FF), crest * 0.7f);
    });
    return c;
}

Canvas Jet() {
    Canvas c(128, 128, FromHex(0xA0A8B4));
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 16.0f, y / 16.0f, 8, 3, 41) * 0.2f;
        return Mix(FromHex(0x8088A0), FromHex(0xC8D0DC), 0.4f + n);
    });
    for (int k = 0; k < 4; ++k) c.FillRect(0, k * 32.0f, 128, k * 32.0f + 1.5f, FromHex(0x50586A));
    c.FillRect(0, 56, 128, 72, FromHex(0xD21F1B));
    return c;
}

Canvas Marble() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 32.0f, y / 32.0f, 8, 5, 61);
        const float vein =
            std::pow(std::fabs(std::sin((x / 256.0f + n * 1.5f) * kTau * 2.0f)), 0.3f);
        return Mix(FromHex(0x0E5A3C), FromHex(0x7ED8B0), 1.0f - vein * 0.8f + 0.1f);
    });
    c.FillRect(0, 0, 256, 10, FromHex(0xF5C330));
    c.FillRect(0, 246, 256, 256, FromHex(0xF5C330));
    return c;
}

Canvas Dimmed(Canvas c, float k) {
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) c.Set(x, y, Scale(c.Get(x, y), k));
    }
    return c;
}

Canvas Water() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 32.0f, y / 32.0f, 8, 3, 91);
        const float ripple =
            std::pow(Clamp01(std::sin((n * 3.0f + y / 64.0f) * kTau) * 0.5f + 0.5f), 8.0f);
        return Color{0.02f + ripple * 0.2f, 0.12f + ripple * 0.45f, 0.16f + ripple * 0.5f};
    });
    return c;
}

Canvas Tyre() {
    Canvas c(256, 256, FromHex(0x1C1C20));
    // Chevron treads across the width, repeating along v (around the wheel).
    for (int k = 0; k < 8; ++k) {
        const float v = k * 32.0f;
        c.FillCapsule({20, v + 4}, {128, v + 18}, 6.0f, FromHex(0x3A3A42));
        c.FillCapsule({128, v + 18}, {236, v + 4}, 6.0f, FromHex(0x3A3A42));
    }
    c.FillRect(0, 0, 12, 256, FromHex(0x2C2C34));
    c.FillRect(244, 0, 256, 256, FromHex(0x2C2C34));
    return c;
}

Canvas Rim() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const float d = std::hypot(x - 128.0f, y - 128.0f) / 128.0f;
        const float shine = 0.5f + 0.5f * std::cos(std::atan2(y - 128.0f, x - 128.0f) * 2.0f);
        return Mix(FromHex(0x1A1A1E), Mix(FromHex(0x8A9098), FromHex(0xF0F4F8), shine),
                   d < 0.98f ? 1.0f : 0.0f);
    });
    c.FillRing({128, 128}, 118, 128, FromHex(0x202024));
    for (int k = 0; k < 6; ++k) {
        const float a = k * kTau / 6.0f;
        c.FillCapsule({128, 128}, {128 + 100 * std::cos(a), 128 + 100 * std::sin(a)}, 9.0f,
                      FromHex(0xD21F1B));
    }
    c.FillCircle({128, 128}, 28, FromHex(0xF5C330));
    c.FillCircle({128, 128}, 12, FromHex(0x202024));
    return c;
}

Canvas Checker() {
    Canvas c(256, 256, kBlack);
    c.Shade([](float x, float y) {
        const bool dark = (static_cast<int>(x / 32.0f) + static_cast<int>(y / 32.0f)) % 2 == 1;
        const float n = TileFractal(x / 16.0f, y / 16.0f, 16, 2, 17) * 0.1f;
        return dark ? Color{0.12f + n, 0.12f + n, 0.14f + n}
                    : Color{0.85f + n, 0.85f + n, 0.8f + n};
    });
    return c;
}

Canvas Brass() {
    Canvas c(128, 128, kBlack);
    c.Shade([](float x, float y) {
        const float n = TileFractal(x / 8.0f, y / 32.0f, 16, 3, 53);
        return Mix(FromHex(0x8A5A1A), FromHex(0xF0C060), 0.3f + 0.6f * n);
    });
    c.FillRing({64, 64}, 40, 46, FromHex(0x5A3A10));
    return c;
}

Canvas Roulette() {
    Canvas c(512, 512, FromHex(0x0E5A2A));
    const Point m{256, 256};
    const int pockets = 16;
    for (int i = 0; i < pockets; ++i) {
        const float a0 = kTau * i / pockets, a1 = kTau * (i + 1) / pockets;
        const Color color =
            i == 0 ? FromHex(0x18A040) : (i % 2 ? FromHex(0xD21F1B) : FromHex(0x121212));
        c.FillArc(m, 150, 252, a0, a1, color);
        // The pocket number in gold block digits, upright towards the rim.
        const std::string number = std::to_string(i * 2 + (i % 3));
        const float am = 0.5f * (a0 + a1);
        const Point centre{m.x + 205.0f * std::cos(am), m.y - 205.0f * std::sin(am)};
        const float cell = 4.0f;
        const float w = TextColumns(number) * cell;
        ForEachTextCell(number, [&](int column, int row) {
            const float lx = -w * 0.5f + (column + 0.5f) * cell;
            const float ly = (row + 0.5f - kGlyphRows * 0.5f) * cell;
            // Rotate so the digits' tops face the rim.
            const float r = -(am - kTau * 0.25f);
            const Point p{centre.x + lx * std::cos(r) - ly * std::sin(r),
                          centre.y + lx * std::sin(r) + ly * std::cos(r)};
            c.FillBox(p, cell * 0.5f, cell * 0.5f, r, FromHex(0xF5C330));
        });
    }
    for (int i = 0; i < pockets; ++i) {
        const float a = kTau * i / pockets;
        c.FillCapsule({m.x + 150 * std::cos(a), m.y - 150 * std::sin(a)},
                      {m.x + 252 * std::cos(a), m.y - 252 * std::sin(a)}, 2.5f, FromHex(0xF5C330));
    }
    c.FillRing(m, 146, 154, FromHex(0xF5C330));
    c.FillCircle(m, 120, FromHex(0x8A5A1A));
    for (int k = 0; k < 4; ++k) {
        const float a = k * kTau / 4.0f;
        c.FillCapsule(m, {m.x + 110 * std::cos(a), m.y + 110 * std::sin(a)}, 10, FromHex(0xF5C330));
    }
    c.FillCircle(m, 30, FromHex(0xF5C330));
    return c;
}

Canvas Stars() {
    Canvas c(256, 256, kBlack);
    Random random(99);
    for (int i = 0; i < 160; ++i) {
        const Point p{random.Range(4, 252), random.Range(4, 252)};
        const float b = random.Range(0.3f, 1.0f);
        const Color tint = Mix(FromHex(0x9FC8FF), FromHex(0xFFE0B0), random.Unit());
        c.AddGlow(p, random.Range(1.5f, 4.0f), Scale(tint, b), 1.5f);
    }
    return c;
}

using Maker = std::function<Canvas()>;

const std::vector<std::pair<std::string, Maker>>& Table() {
    static const std::vector<std::pair<std::string, Maker>> table = {
        {"glow.png", [] { return Glow(FromHex(0xFFC070), 128); }},
        {"glowb.png", [] { return Glow(FromHex(0x30A0FF), 128); }},
        {"glowo.png", [] { return Glow(FromHex(0xFF7018), 128); }},
        {"glowp.png", [] { return Glow(FromHex(0xFF3090), 128); }},
        {"beam.png", [] { return Beam(FromHex(0x40C0FF)); }},
        {"beamo.png", [] { return Beam(FromHex(0xFF8020)); }},
        {"beamp.png", [] { return Beam(FromHex(0xFF40C0)); }},
        {"wire.png", [] { return Wire(FromHex(0x40A0FF)); }},
        {"wireo.png", [] { return Wire(FromHex(0xFF9030)); }},
        {"ring.png", [] { return Ring(FromHex(0xFF9030)); }},
        {"ringb.png", [] { return Ring(FromHex(0x40C0FF)); }},
        {"grid.png", [] { return Grid(FromHex(0x20C0FF), 4); }},
        {"gridp.png", [] { return Grid(FromHex(0xFF30B0), 4); }},
        {"lattice.png", [] { return Lattice(FromHex(0x30D0FF)); }},
        {"gold.png", Gold},
        {"lacquer.png", Lacquer},
        {"lava.png", Lava},
        {"tube.png", TubePanels},
        {"facade.png", Facade},
        {"concrete.png", Concrete},
        {"street.png", Street},
        {"paper.png", [] { return Paper(FromHex(0xF4F0E6)); }},
        {"cloud.png", Cloud},
        {"dawn.png", Dawn},
        {"land.png", Land},
        {"sea.png", Sea},
        {"jet.png", Jet},
        {"marble.png", Marble},
        {"water.png", Water},
        {"marbled.png", [] { return Dimmed(Marble(), 0.4f); }},
        {"tyre.png", Tyre},
        {"rim.png", Rim},
        {"checker.png", Checker},
        {"brass.png", Brass},
        {"roulette.png", Roulette},
        {"stars.png", Stars},
    };
    return table;
}

}  // namespace

int WriteTextures(const std::string& folder) {
    for (const auto& entry : Table()) {
        const Canvas texture = entry.second();
        if (!png_writer::WriteRgb(folder + "/" + entry.first, texture.Width(), texture.Height(),
                                  texture.ToRgb8())) {
            return 0;
        }
    }
    return 1;
}

}  // namespace assets
