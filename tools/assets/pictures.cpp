// pictures.cpp: the 24 full-screen pictures flashed on the beat, "chinois1.png" to "chinois24.png".
#include "tools/assets/pictures.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/assets/block_font.h"
#include "tools/assets/numbers.h"
#include "tools/assets/random.h"
#include "tools/png/png_writer.h"

namespace assets {

namespace {

constexpr int kSize = 512;
constexpr float kMid = kSize * 0.5f;

const Color kRed = FromHex(0xD21F1B);
const Color kDeepRed = FromHex(0x7A0C0C);
const Color kGold = FromHex(0xF5C330);
const Color kInk = FromHex(0x0B0908);
const Color kIvory = FromHex(0xF3E9D2);
const Color kJade = FromHex(0x16905E);
const Color kBlue = FromHex(0x14306E);
const Color kPink = FromHex(0xF06A8A);
const Color kOrange = FromHex(0xFF7A12);

Canvas Radial(Color inner, Color outer) {
    Canvas c(kSize, kSize, outer);
    c.Shade([=](float x, float y) {
        const float d = std::hypot(x - kMid, y - kMid) / (kMid * 1.42f);
        return Mix(inner, outer, d);
    });
    return c;
}

Canvas Vertical(Color top, Color bottom) {
    Canvas c(kSize, kSize, top);
    c.Shade([=](float, float y) { return Mix(top, bottom, y / kSize); });
    return c;
}

// A seal: a thick square frame and a glyph-like stroke pattern inside, like a carved stamp.
void DrawSeal(Canvas& c, float x, float y, float size, Color ink, Color paper) {
    c.FillRect(x, y, x + size, y + size, ink);
    const float m = size * 0.12f;
    c.FillRect(x + m, y + m, x + size - m, y + size - m, paper);
    const float s = size * 0.07f;
    const float x0 = x + size * 0.28f, x1 = x + size * 0.72f;
    for (int i = 0; i < 3; ++i) {
        const float yy = y + size * (0.3f + 0.2f * i);
        c.FillRect(x0, yy - s * 0.5f, x1, yy + s * 0.5f, ink);
    }
    c.FillRect(x + size * 0.5f - s * 0.5f, y + size * 0.25f, x + size * 0.5f + s * 0.5f,
               y + size * 0.75f, ink);
}

// Block text centred at (cx, cy) with cells of the given size.
void DrawText(Canvas& c, const std::string& text, float cx, float cy, float cell, Color color,
              float shadow = 0.0f, Color shadowColor = {0, 0, 0}) {
    const float x0 = cx - TextColumns(text) * cell * 0.5f;
    const float y0 = cy - kGlyphRows * cell * 0.5f;
    for (int pass = shadow > 0.0f ? 0 : 1; pass < 2; ++pass) {
        const float off = pass == 0 ? shadow : 0.0f;
        const Color col = pass == 0 ? shadowColor : color;
        ForEachTextCell(text, [&](int column, int row) {
            const float x = x0 + column * cell + off;
            const float y = y0 + row * cell + off;
            c.FillRect(x, y, x + cell, y + cell, col);
        });
    }
}

Canvas RedSun() {
    Canvas c = Radial(FromHex(0x2A0A06), kInk);
    c.AddGlow({kMid, kMid}, 250.0f, Scale(kRed, 0.6f), 1.5f);
    c.FillCircle({kMid, kMid}, 170.0f, kRed);
    c.FillRing({kMid, kMid}, 190.0f, 200.0f, kGold);
    for (int i = 0; i < 5; ++i) {
        const float y = 300.0f + i * 26.0f;
        c.FillRect(40.0f, y, 472.0f, y + 10.0f - i, kInk);
    }
    return c;
}

Canvas YinYang() {
    Canvas c = Radial(kRed, kDeepRed);
    const Point m{kMid, kMid};
    const float r = 190.0f;
    c.FillRing(m, r, r + 14.0f, kGold);
    c.FillCircle(m, r, kIvory);
    c.FillDistance(
        m.x - r, m.y - r, m.x + r, m.y + r,
        [=](float x, float y) {
            const float dx = x - m.x, dy = y - m.y;
            const float disc = std::hypot(dx, dy) - r;
            const float upper = std::hypot(dx, dy + r * 0.5f) - r * 0.5f;
            const float lower = std::hypot(dx, dy - r * 0.5f) - r * 0.5f;
            // Right half dark, except the upper bulge; plus the lower bulge.
            float half = std::max(-dx, disc);
            half = std::max(half, -upper);
            return std::min(half, std::max(lower, disc));
        },
        kInk);
    c.FillCircle({m.x, m.y - r * 0.5f}, r * 0.15f, kIvory);
    c.FillCircle({m.x, m.y + r * 0.5f}, r * 0.15f, kInk);
    return c;
}

Canvas Pagoda() {
    Canvas c = Vertical(kGold, kOrange);
    c.FillCircle({kMid, 200.0f}, 120.0f, kRed);
    for (int tier = 0; tier < 5; ++tier) {
        const float base = 470.0f - tier * 72.0f;
        const float half = 150.0f - tier * 24.0f;
        c.FillRect(kMid - half * 0.6f, base - 50.0f, kMid + half * 0.6f, base, kInk);
        // Eaves that curve up at their tips.
        c.FillPolygon({{kMid - half - 30.0f, base - 58.0f},
                       {kMid + half + 30.0f, base - 58.0f},
                       {kMid + half, base - 40.0f},
                       {kMid - half, base - 40.0f}},
                      kInk);
        c.FillTaper({kMid + half + 10.0f, base - 50.0f}, {kMid + half + 38.0f, base - 72.0f}, 8.0f,
                    2.0f, kInk);
        c.FillTaper({kMid - half - 10.0f, base - 50.0f}, {kMid - half - 38.0f, base - 72.0f}, 8.0f,
                    2.0f, kInk);
    }
    c.FillRect(kMid - 4.0f, 60.0f, kMid + 4.0f, 130.0f, kInk);
    c.FillRect(0.0f, 470.0f, 512.0f, 512.0f, kInk);
    return c;
}

Canvas Lantern() {
    Canvas c(kSize, kSize, kInk);
    c.AddGlow({kMid, 260.0f}, 260.0f, Scale(kOrange, 0.5f));
    c.FillRect(kMid - 3.0f, 0.0f, kMid + 3.0f, 90.0f, kGold);
    c.FillRect(kMid - 70.0f, 80.0f, kMid + 70.0f, 110.0f, kGold);
    c.FillDistance(
        0, 90, 512, 440,
        [](float x, float y) {
            const float dx = (x - kMid) / 180.0f, dy = (y - 265.0f) / 165.0f;
            return (std::sqrt(dx * dx + dy * dy) - 1.0f) * 165.0f;
        },
        kRed);
    // Ribs: ellipses sharing the lantern's height, narrower towards the middle one.
    for (int i = 0; i <= 2; ++i) {
        const float rx = std::max(3.0f, i * 62.0f);
        c.FillDistance(
            kMid - rx - 4.0f, 96.0f, kMid + rx + 4.0f, 434.0f,
            [=](float x, float y) {
                const float ex = (x - kMid) / rx, ey = (y - 265.0f) / 165.0f;
                return std::fabs(std::sqrt(ex * ex + ey * ey) - 1.0f) * rx - 3.0f;
            },
            kDeepRed);
    }
    c.FillRect(kMid - 80.0f, 420.0f, kMid + 80.0f, 450.0f, kGold);
    for (int i = 0; i < 9; ++i) {
        const float x = kMid - 48.0f + i * 12.0f;
        c.FillRect(x - 2.0f, 450.0f, x + 2.0f, 505.0f, kGold);
    }
    c.FillCircle({kMid, 265.0f}, 46.0f, kGold);
    c.FillRect(kMid - 20.0f, 245.0f, kMid + 20.0f, 285.0f, kRed);
    return c;
}

Canvas MountainGlyph() {
    Canvas c(kSize, kSize, kIvory);
    const Color ink = kInk;
    c.FillTaper({256, 90}, {256, 400}, 26, 20, ink);
    c.FillTaper({110, 210}, {110, 410}, 22, 18, ink);
    c.FillTaper({402, 210}, {402, 410}, 22, 18, ink);
    c.FillTaper({100, 410}, {412, 410}, 20, 22, ink);
    DrawSeal(c, 400, 420, 76, kRed, kIvory);
    return c;
}

Canvas FretBorder() {
    Canvas c(kSize, kSize, kRed);
    // A meander band around the edge, made of hooked units.
    for (int side = 0; side < 4; ++side) {
        for (int i = 0; i < 8; ++i) {
            const float u = 32.0f + i * 56.0f;
            auto at = [&](float a, float b) -> Point {
                switch (side) {
                case 0: return {u + a, 16.0f + b};
                case 1: return {496.0f - b, u + a};
                case 2: return {512.0f - u - a, 496.0f - b};
                default: return {16.0f + b, 512.0f - u - a};
                }
            };
            const Point p[] = {at(0, 40),  at(0, 0),   at(44, 0), at(44, 30),
                               at(16, 30), at(16, 14), at(28, 14)};
            for (int k = 0; k + 1 < 7; ++k) c.FillCapsule(p[k], p[k + 1], 4.5f, kGold);
        }
    }
    c.FillCircle({kMid, kMid}, 150.0f, kGold);
    c.FillCircle({kMid, kMid}, 128.0f, kInk);
    DrawText(c, "32", kMid, kMid, 14.0f, kGold);
    return c;
}

Canvas Fan() {
    Canvas c(kSize, kSize, kInk);
    const Point pivot{kMid, 420.0f};
    const int blades = 15;
    for (int i = 0; i < blades; ++i) {
        const float a0 = kPi * (0.08f + 0.84f * i / blades),
                    a1 = kPi * (0.08f + 0.84f * (i + 1) / blades);
        c.FillArc(pivot, 90.0f, 330.0f, a0, a1, i % 2 ? kRed : kGold);
    }
    c.FillArc(pivot, 326.0f, 342.0f, kPi * 0.08f, kPi * 0.92f, kIvory);
    c.FillCircle(pivot, 24.0f, kGold);
    c.FillCircle(pivot, 10.0f, kInk);
    return c;
}

Canvas Bamboo() {
    Canvas c = Vertical(kIvory, FromHex(0xCFE8C8));
    Random random(17);
    const float xs[] = {80.0f, 200.0f, 330.0f, 440.0f};
    for (float x : xs) {
        const float w = random.Range(16.0f, 26.0f);
        c.FillRect(x - w, 0.0f, x + w, 512.0f, kJade);
        c.FillRect(x - w * 0.5f, 0.0f, x - w * 0.2f, 512.0f, FromHex(0x4CC38A));
        for (float y = random.Range(20.0f, 80.0f); y < 512.0f; y += random.Range(90.0f, 130.0f)) {
            c.FillRect(x - w - 4.0f, y - 5.0f, x + w + 4.0f, y + 5.0f, FromHex(0x0C4A30));
            const float dir = random.Unit() < 0.5f ? -1.0f : 1.0f;
            c.FillTaper({x + dir * w, y}, {x + dir * (w + 70.0f), y - 50.0f}, 9.0f, 1.0f,
                        FromHex(0x0C4A30));
        }
    }
    return c;
}

Canvas CloudScrolls() {
    Canvas c(kSize, kSize, kBlue);
    const Point centres[] = {{140, 150}, {370, 130}, {250, 300}, {110, 410}, {400, 400}};
    for (Point p : centres) {
        // A spiral of shrinking radius, drawn as short capsules.
        Point prev{p.x + 80.0f, p.y};
        for (int i = 1; i <= 90; ++i) {
            const float a = i * 0.12f;
            const float r = 80.0f * (1.0f - i / 110.0f);
            const Point next{p.x + r * std::cos(a), p.y - r * std::sin(a)};
            c.FillCapsule(prev, next, 9.0f, kGold);
            prev = next;
        }
        c.FillCapsule({p.x + 80.0f, p.y}, {p.x + 150.0f, p.y + 40.0f}, 9.0f, kGold);
    }
    return c;
}

Canvas MiddleGlyph() {
    Canvas c = Radial(FromHex(0xFFD85A), kGold);
    c.FillRect(120, 150, 392, 350, kRed);
    c.FillRect(160, 190, 352, 310, FromHex(0xFFD85A));
    c.FillRect(236, 40, 276, 480, kRed);
    return c;
}

Canvas Coin() {
    Canvas c(kSize, kSize, kInk);
    c.AddGlow({kMid, kMid}, 256.0f, Scale(kGold, 0.35f), 2.0f);
    c.FillCircle({kMid, kMid}, 200.0f, kGold);
    c.FillRing({kMid, kMid}, 176.0f, 184.0f, FromHex(0xA8761A));
    c.FillRect(kMid - 62.0f, kMid - 62.0f, kMid + 62.0f, kMid + 62.0f, FromHex(0xA8761A));
    c.FillRect(kMid - 50.0f, kMid - 50.0f, kMid + 50.0f, kMid + 50.0f, kInk);
    for (int i = 0; i < 4; ++i) {
        const float a = i * kPi * 0.5f;
        const Point p{kMid + 118.0f * std::cos(a), kMid + 118.0f * std::sin(a)};
        c.FillBox(p, 24.0f, 24.0f, a, FromHex(0xA8761A));
        c.FillBox(p, 12.0f, 12.0f, a + kPi * 0.25f, kGold);
    }
    return c;
}

Canvas Scales() {
    Canvas c(kSize, kSize, kJade);
    const float r = 40.0f;
    for (int row = -1; row < 15; ++row) {
        for (int col = -1; col < 8; ++col) {
            const float x = col * 2.0f * r + (row % 2 ? r : 0.0f);
            const float y = row * r * 0.9f;
            c.FillCircle({x, y}, r, row % 3 == 0 ? kGold : FromHex(0x0F6B46));
            c.FillRing({x, y}, r - 7.0f, r - 2.0f, kGold);
        }
    }
    return c;
}

Canvas Lattice() {
    Canvas c(kSize, kSize, kRed);
    const float t = 7.0f;
    for (int i = 0; i <= 8; ++i) {
        const float v = 24.0f + i * 58.0f;
        c.FillRect(v - t, 0, v + t, 512, kInk);
        c.FillRect(0, v - t, 512, v + t, kInk);
    }
    c.FillCircle({kMid, kMid}, 170.0f, kInk);
    c.FillCircle({kMid, kMid}, 150.0f, kGold);
    for (int i = 0; i < 4; ++i) {
        c.FillBox({kMid, kMid}, 150.0f, 6.0f, i * kPi * 0.25f, kInk);
    }
    c.FillCircle({kMid, kMid}, 40.0f, kRed);
    return c;
}

Canvas SunGlyph() {
    Canvas c(kSize, kSize, kInk);
    for (int i = 0; i < 24; ++i) {
        const float a = i * kPi / 12.0f;
        const Point from{kMid + 190.0f * std::cos(a), kMid + 190.0f * std::sin(a)};
        const Point to{kMid + 360.0f * std::cos(a), kMid + 360.0f * std::sin(a)};
        c.FillTaper(from, to, 18.0f, 2.0f, i % 2 ? kRed : kOrange);
    }
    c.FillCircle({kMid, kMid}, 175.0f, kRed);
    c.FillRect(180, 130, 332, 382, kIvory);
    c.FillRect(206, 158, 306, 238, kRed);
    c.FillRect(206, 274, 306, 354, kRed);
    return c;
}

Canvas Waves() {
    Canvas c(kSize, kSize, kIvory);
    for (int row = 0; row < 9; ++row) {
        for (int col = -1; col < 7; ++col) {
            const float x = col * 80.0f + (row % 2 ? 40.0f : 0.0f);
            const float y = 512.0f - row * 34.0f;
            for (int k = 0; k < 4; ++k) {
                c.FillCircle({x, y}, 64.0f - k * 16.0f, k % 2 ? kIvory : kBlue);
            }
        }
    }
    c.FillCircle({390, 110}, 70.0f, kRed);
    return c;
}

Canvas BigNumber() {
    Canvas c = Radial(kRed, kDeepRed);
    for (int i = 0; i < 12; ++i) {
        const float a = i * kPi / 6.0f;
        c.FillPolygon({{kMid, kMid},
                       {kMid + 400.0f * std::cos(a), kMid + 400.0f * std::sin(a)},
                       {kMid + 400.0f * std::cos(a + 0.26f), kMid + 400.0f * std::sin(a + 0.26f)}},
                      Scale(kGold, 0.25f), Paint::Add);
    }
    DrawText(c, "32", kMid, kMid, 34.0f, kGold, 12.0f, kInk);
    return c;
}

Canvas PlumBlossom() {
    Canvas c(kSize, kSize, kIvory);
    c.FillTaper({0, 470}, {200, 330}, 22, 14, kInk);
    c.FillTaper({200, 330}, {330, 300}, 14, 8, kInk);
    c.FillTaper({330, 300}, {470, 150}, 8, 3, kInk);
    c.FillTaper({200, 330}, {240, 160}, 11, 4, kInk);
    c.FillTaper({240, 160}, {330, 70}, 4, 2, kInk);
    const Point flowers[] = {{240, 160}, {330, 300}, {420, 200}, {130, 380},
                             {300, 90},  {470, 150}, {200, 250}};
    for (Point f : flowers) {
        for (int k = 0; k < 5; ++k) {
            const float a = k * 2.0f * kPi / 5.0f - kPi * 0.5f;
            c.FillCircle({f.x + 22.0f * std::cos(a), f.y + 22.0f * std::sin(a)}, 18.0f, kPink);
        }
        c.FillCircle(f, 10.0f, kRed);
        c.FillCircle(f, 4.0f, kGold);
    }
    DrawSeal(c, 40, 40, 70, kRed, kIvory);
    return c;
}

Canvas TwinFish() {
    Canvas c(kSize, kSize, kBlue);
    for (int fish = 0; fish < 2; ++fish) {
        const float s = fish == 0 ? 1.0f : -1.0f;
        const Color col = fish == 0 ? kGold : kOrange;
        // A body of circles along an arc, head big, tail small.
        for (int i = 0; i < 24; ++i) {
            const float t = i / 23.0f;
            const float a = kPi * (0.15f + 1.1f * t);
            const Point p{kMid + s * 130.0f * std::cos(a), kMid - s * 130.0f * std::sin(a)};
            c.FillCircle(p, 58.0f * (1.0f - t) + 8.0f, col);
        }
        const float a = kPi * 1.25f;
        const Point tail{kMid + s * 130.0f * std::cos(a), kMid - s * 130.0f * std::sin(a)};
        c.FillPolygon({tail,
                       {tail.x - s * 60.0f, tail.y + s * 10.0f},
                       {tail.x - s * 20.0f, tail.y + s * 60.0f}},
                      col);
        const float ha = kPi * 0.15f;
        c.FillCircle(
            {kMid + s * 130.0f * std::cos(ha), kMid - s * 130.0f * std::sin(ha) - 15.0f * s}, 10.0f,
            kInk);
    }
    return c;
}

Canvas Gate() {
    Canvas c = Vertical(FromHex(0xFF5A1F), kRed);
    c.FillRect(60, 110, 452, 140, kInk);
    c.FillPolygon({{20, 70}, {492, 70}, {452, 100}, {60, 100}}, kInk);
    c.FillTaper({30, 72}, {6, 40}, 10, 3, kInk);
    c.FillTaper({482, 72}, {506, 40}, 10, 3, kInk);
    c.FillRect(100, 100, 135, 512, kInk);
    c.FillRect(377, 100, 412, 512, kInk);
    c.FillRect(90, 200, 422, 222, kInk);
    c.FillRect(220, 140, 292, 200, kGold);
    c.FillCircle({kMid, 360}, 60.0f, kGold);
    return c;
}

Canvas Firecrackers() {
    Canvas c(kSize, kSize, kInk);
    Random random(5);
    for (int i = 0; i < 40; ++i) {
        c.AddGlow({random.Range(0, 512), random.Range(0, 512)}, random.Range(10, 40),
                  Scale(kGold, random.Range(0.3f, 1.0f)), 3.0f);
    }
    for (int row = 0; row < 7; ++row) {
        const float y = 70.0f + row * 60.0f;
        for (int side = -1; side <= 1; side += 2) {
            const float x = kMid + side * 46.0f;
            c.FillBox({x, y}, 40.0f, 18.0f, side * 0.35f, kRed);
            c.FillBox({x, y}, 40.0f, 5.0f, side * 0.35f, kGold);
        }
    }
    c.FillRect(kMid - 5.0f, 0, kMid + 5.0f, 480, kGold);
    return c;
}

Canvas FireGlyph() {
    Canvas c(kSize, kSize, kInk);
    c.AddGlow({kMid, 330}, 300.0f, Scale(kOrange, 0.6f), 1.5f);
    c.FillTaper({256, 60}, {256, 260}, 16, 24, kRed);
    c.FillTaper({256, 260}, {90, 460}, 24, 14, kRed);
    c.FillTaper({256, 250}, {430, 460}, 26, 18, kRed);
    c.FillTaper({110, 160}, {160, 250}, 22, 10, kGold);
    c.FillTaper({400, 150}, {350, 250}, 22, 10, kGold);
    return c;
}

Canvas SealStamp() {
    Canvas c(kSize, kSize, kIvory);
    c.FillRect(56, 56, 456, 456, kRed);
    c.FillRect(86, 86, 426, 426, kIvory);
    c.FillRect(110, 110, 402, 402, kRed);
    // Four carved blocks, each a different stroke figure, in ivory.
    const float q[4][2] = {{130, 130}, {266, 130}, {130, 266}, {266, 266}};
    for (int i = 0; i < 4; ++i) {
        const float x = q[i][0], y = q[i][1];
        switch (i) {
        case 0:
            for (int k = 0; k < 3; ++k)
                c.FillRect(x + 10, y + 20 + k * 40, x + 106, y + 36 + k * 40, kIvory);
            break;
        case 1:
            c.FillRect(x + 50, y + 8, x + 66, y + 108, kIvory);
            c.FillRect(x + 8, y + 50, x + 108, y + 66, kIvory);
            break;
        case 2:
            c.FillRing({x + 58, y + 58}, 28, 46, kIvory);
            c.FillRect(x + 50, y + 4, x + 66, y + 112, kIvory);
            break;
        default:
            c.FillRect(x + 8, y + 8, x + 108, y + 24, kIvory);
            c.FillRect(x + 8, y + 8, x + 24, y + 108, kIvory);
            c.FillRect(x + 40, y + 40, x + 108, y + 56, kIvory);
            c.FillRect(x + 40, y + 84, x + 108, y + 100, kIvory);
            break;
        }
    }
    return c;
}

Canvas MoonWaves() {
    Canvas c = Vertical(FromHex(0x05081C), kBlue);
    Random random(23);
    for (int i = 0; i < 120; ++i) {
        c.FillCircle({random.Range(0, 512), random.Range(0, 300)}, random.Range(0.6f, 2.0f),
                     kIvory);
    }
    c.AddGlow({330, 180}, 220.0f, Scale(kIvory, 0.35f), 2.0f);
    c.FillCircle({330, 180}, 120.0f, kIvory);
    for (int row = 0; row < 5; ++row) {
        const float y = 380.0f + row * 30.0f;
        std::vector<Point> wave;
        for (int x = 0; x <= 512; x += 8) {
            wave.push_back({static_cast<float>(x), y + 14.0f * std::sin(x * 0.05f + row)});
        }
        wave.push_back({512, 512});
        wave.push_back({0, 512});
        c.FillPolygon(wave, row % 2 ? kInk : FromHex(0x0E1A40));
    }
    // A bird crossing the moon.
    c.FillTaper({250, 170}, {300, 150}, 2, 7, kInk);
    c.FillTaper({300, 150}, {350, 165}, 7, 2, kInk);
    return c;
}

Canvas Dragon() {
    Canvas c = Radial(kRed, kDeepRed);
    for (int i = 0; i < 60; ++i) {
        const float t = i / 59.0f;
        const Point p{40.0f + 430.0f * t, kMid + 130.0f * std::sin(t * 3.0f * kPi)};
        const float r = 50.0f * (1.0f - t * 0.8f);
        c.FillCircle(p, r + 6.0f, kInk);
        c.FillCircle(p, r, kGold);
        if (i % 4 == 0) c.FillCircle(p, r * 0.4f, kRed);
    }
    c.FillCircle({40, kMid}, 62.0f, kGold);
    c.FillCircle({28, kMid - 18.0f}, 12.0f, kInk);
    c.FillTaper({60, kMid - 40.0f}, {120, kMid - 120.0f}, 8, 2, kGold);
    c.FillTaper({60, kMid + 40.0f}, {120, kMid + 120.0f}, 8, 2, kGold);
    return c;
}

}  // namespace

Canvas MakePicture(int n) {
    switch (n) {
    case 1: return RedSun();
    case 2: return YinYang();
    case 3: return Pagoda();
    case 4: return Lantern();
    case 5: return MountainGlyph();
    case 6: return FretBorder();
    case 7: return Fan();
    case 8: return Bamboo();
    case 9: return CloudScrolls();
    case 10: return MiddleGlyph();
    case 11: return Coin();
    case 12: return Scales();
    case 13: return Lattice();
    case 14: return SunGlyph();
    case 15: return Waves();
    case 16: return BigNumber();
    case 17: return PlumBlossom();
    case 18: return TwinFish();
    case 19: return Gate();
    case 20: return Firecrackers();
    case 21: return FireGlyph();
    case 22: return SealStamp();
    case 23: return MoonWaves();
    default: return Dragon();
    }
}

std::string PictureFileName(int n) {
    char name[32];
    std::snprintf(name, sizeof name, kPictureNameFormat, n);
    return name;
}

int WritePictures(const std::string& folder) {
    for (int n = 1; n <= kPictureCount; ++n) {
        const Canvas picture = MakePicture(n);
        if (!png_writer::WriteRgb(folder + "/" + PictureFileName(n), picture.Width(),
                                  picture.Height(), picture.ToRgb8())) {
            return 0;
        }
    }
    return 1;
}

}  // namespace assets
