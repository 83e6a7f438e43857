// canvas.cpp: a floating-point RGB image with anti-aliased shapes, for textures and pictures.
#include "tools/assets/canvas.h"

#include <algorithm>
#include <cmath>

#include "tools/assets/numbers.h"

namespace assets {

namespace {

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float SegmentDistance(float px, float py, Point a, Point b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length2 = dx * dx + dy * dy;
    float t = length2 > 0.0f ? ((px - a.x) * dx + (py - a.y) * dy) / length2 : 0.0f;
    t = Clamp01(t);
    const float ex = px - (a.x + t * dx), ey = py - (a.y + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

Color Mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Color Scale(Color c, float k) { return {c.r * k, c.g * k, c.b * k}; }

Color FromHex(uint32_t rgb) {
    return {static_cast<float>((rgb >> 16) & 255) / 255.0f,
            static_cast<float>((rgb >> 8) & 255) / 255.0f, static_cast<float>(rgb & 255) / 255.0f};
}

Canvas::Canvas(int width, int height, Color fill)
    : width(width), height(height), pixels(static_cast<size_t>(width) * height, fill) {}

void Canvas::Shade(const std::function<Color(float, float)>& shader) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) Set(x, y, shader(x + 0.5f, y + 0.5f));
    }
}

void Canvas::FillDistance(float x0, float y0, float x1, float y1,
                          const std::function<float(float, float)>& distance, Color color,
                          Paint paint) {
    const int ix0 = std::max(0, static_cast<int>(std::floor(x0)) - 1);
    const int iy0 = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    const int ix1 = std::min(width, static_cast<int>(std::ceil(x1)) + 1);
    const int iy1 = std::min(height, static_cast<int>(std::ceil(y1)) + 1);
    for (int y = iy0; y < iy1; ++y) {
        for (int x = ix0; x < ix1; ++x) {
            const float coverage = Clamp01(0.5f - distance(x + 0.5f, y + 0.5f));
            if (coverage <= 0.0f) continue;
            Color& p = pixels[static_cast<size_t>(y) * width + x];
            switch (paint) {
            case Paint::Over: p = Mix(p, color, coverage); break;
            case Paint::Add:
                p = {p.r + color.r * coverage, p.g + color.g * coverage, p.b + color.b * coverage};
                break;
            case Paint::Multiply:
                p = Mix(p, {p.r * color.r, p.g * color.g, p.b * color.b}, coverage);
                break;
            }
        }
    }
}

void Canvas::FillCircle(Point c, float radius, Color color, Paint paint) {
    FillDistance(
        c.x - radius, c.y - radius, c.x + radius, c.y + radius,
        [=](float x, float y) { return std::hypot(x - c.x, y - c.y) - radius; }, color, paint);
}

void Canvas::FillRing(Point c, float inner, float outer, Color color, Paint paint) {
    const float middle = 0.5f * (inner + outer), half = 0.5f * (outer - inner);
    FillDistance(
        c.x - outer, c.y - outer, c.x + outer, c.y + outer,
        [=](float x, float y) { return std::fabs(std::hypot(x - c.x, y - c.y) - middle) - half; },
        color, paint);
}

void Canvas::FillArc(Point c, float inner, float outer, float from, float to, Color color) {
    const float middle = 0.5f * (inner + outer), half = 0.5f * (outer - inner);
    const float pi2 = 2.0f * kPi;
    FillDistance(
        c.x - outer, c.y - outer, c.x + outer, c.y + outer,
        [=](float x, float y) {
            const float dx = x - c.x, dy = y - c.y;
            float angle = std::atan2(-dy, dx);
            float span = std::fmod(to - from + 2.0f * pi2, pi2);
            float rel = std::fmod(angle - from + 2.0f * pi2, pi2);
            const float radial = std::fabs(std::hypot(dx, dy) - middle) - half;
            if (rel <= span) return radial;
            // Outside the angular span: distance to the nearer end cap.
            const float r = std::hypot(dx, dy);
            const float toEnd = std::min(rel - span, pi2 - rel) * r;
            return std::max(radial, toEnd);
        },
        color);
}

void Canvas::FillRect(float x0, float y0, float x1, float y1, Color color, Paint paint) {
    FillDistance(
        x0, y0, x1, y1,
        [=](float x, float y) {
            return std::max(std::max(x0 - x, x - x1), std::max(y0 - y, y - y1));
        },
        color, paint);
}

void Canvas::FillBox(Point c, float hx, float hy, float angle, Color color, Paint paint) {
    const float ca = std::cos(angle), sa = std::sin(angle);
    const float reach = std::hypot(hx, hy);
    FillDistance(
        c.x - reach, c.y - reach, c.x + reach, c.y + reach,
        [=](float x, float y) {
            const float dx = x - c.x, dy = y - c.y;
            const float u = dx * ca + dy * sa, v = -dx * sa + dy * ca;
            return std::max(std::fabs(u) - hx, std::fabs(v) - hy);
        },
        color, paint);
}

void Canvas::FillCapsule(Point a, Point b, float halfWidth, Color color, Paint paint) {
    FillDistance(
        std::min(a.x, b.x) - halfWidth, std::min(a.y, b.y) - halfWidth,
        std::max(a.x, b.x) + halfWidth, std::max(a.y, b.y) + halfWidth,
        [=](float x, float y) { return SegmentDistance(x, y, a, b) - halfWidth; }, color, paint);
}

void Canvas::FillTaper(Point a, Point b, float wa, float wb, Color color) {
    const float reach = std::max(wa, wb);
    FillDistance(
        std::min(a.x, b.x) - reach, std::min(a.y, b.y) - reach, std::max(a.x, b.x) + reach,
        std::max(a.y, b.y) + reach,
        [=](float x, float y) {
            const float dx = b.x - a.x, dy = b.y - a.y;
            const float length2 = dx * dx + dy * dy;
            float t = length2 > 0.0f ? ((x - a.x) * dx + (y - a.y) * dy) / length2 : 0.0f;
            t = Clamp01(t);
            const float ex = x - (a.x + t * dx), ey = y - (a.y + t * dy);
            return std::sqrt(ex * ex + ey * ey) - (wa + (wb - wa) * t);
        },
        color);
}

void Canvas::FillPolygon(const std::vector<Point>& points, Color color, Paint paint) {
    if (points.size() < 3) return;
    float x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
    for (const Point& p : points) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    FillDistance(
        x0, y0, x1, y1,
        [&points](float x, float y) {
            bool inside = false;
            float nearest = 1e30f;
            for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                const Point a = points[i], b = points[j];
                if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
                    inside = !inside;
                }
                nearest = std::min(nearest, SegmentDistance(x, y, a, b));
            }
            return inside ? -nearest : nearest;
        },
        color, paint);
}

void Canvas::AddGlow(Point c, float radius, Color color, float falloff) {
    const int ix0 = std::max(0, static_cast<int>(c.x - radius));
    const int iy0 = std::max(0, static_cast<int>(c.y - radius));
    const int ix1 = std::min(width, static_cast<int>(c.x + radius) + 1);
    const int iy1 = std::min(height, static_cast<int>(c.y + radius) + 1);
    for (int y = iy0; y < iy1; ++y) {
        for (int x = ix0; x < ix1; ++x) {
            const float d = std::hypot(x + 0.5f - c.x, y + 0.5f - c.y) / radius;
            if (d >= 1.0f) continue;
            const float k = std::pow(1.0f - d, falloff);
            Color& p = pixels[static_cast<size_t>(y) * width + x];
            p = {p.r + color.r * k, p.g + color.g * k, p.b + color.b * k};
        }
    }
}

std::vector<uint8_t> Canvas::ToRgb8() const {
    std::vector<uint8_t> rgb(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        rgb[i * 3 + 0] = static_cast<uint8_t>(std::lround(Clamp01(pixels[i].r) * 255.0f));
        rgb[i * 3 + 1] = static_cast<uint8_t>(std::lround(Clamp01(pixels[i].g) * 255.0f));
        rgb[i * 3 + 2] = static_cast<uint8_t>(std::lround(Clamp01(pixels[i].b) * 255.0f));
    }
    return rgb;
}

float TileNoise(float x, float y, int period, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = Smooth(x - fx), ty = Smooth(y - fy);
    auto corner = [&](int cx, int cy) {
        const int wx = ((cx % period) + period) % period, wy = ((cy % period) + period) % period;
        return static_cast<float>(Hash(wx, wy, seed) & 0xFFFF) / 65535.0f;
    };
    const float top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * tx;
    const float bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

float TileFractal(float x, float y, int period, int octaves, uint32_t seed) {
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * TileNoise(x, y, period, seed + static_cast<uint32_t>(o) * 101u);
        total += weight;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}

}  // namespace assets
