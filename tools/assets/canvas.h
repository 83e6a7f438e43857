// canvas.h: a floating-point RGB image with anti-aliased shapes, for textures and pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace assets {

struct Color {
    float r, g, b;
};

Color Mix(Color a, Color b, float t);
Color Scale(Color c, float k);
Color FromHex(uint32_t rgb);

struct Point {
    float x, y;
};

// How a shape's colour meets what is already there.
enum class Paint { Over, Add, Multiply };

// Pixel (x, y) covers [x, x+1) x [y, y+1); y grows downwards (top row first, as PNG stores it).
// Shapes are drawn through signed distance functions (negative inside, in pixels), which gives
// one pixel of anti-aliasing at every edge.
class Canvas {
public:
    Canvas(int width, int height, Color fill);

    int Width() const { return width; }
    int Height() const { return height; }
    Color Get(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    void Set(int x, int y, Color c) { pixels[static_cast<size_t>(y) * width + x] = c; }

    // Sets every pixel to shader(x + 0.5, y + 0.5).
    void Shade(const std::function<Color(float, float)>& shader);
    // Paints color over the pixels where distance(x, y) < 0.5, within the box [x0,x1) x [y0,y1).
    void FillDistance(float x0, float y0, float x1, float y1,
                      const std::function<float(float, float)>& distance, Color color,
                      Paint paint = Paint::Over);

    void FillCircle(Point centre, float radius, Color color, Paint paint = Paint::Over);
    void FillRing(Point centre, float inner, float outer, Color color, Paint paint = Paint::Over);
    // Arc of a ring between two angles (radians, counter-clockwise from +x with y down).
    void FillArc(Point centre, float inner, float outer, float from, float to, Color color);
    void FillRect(float x0, float y0, float x1, float y1, Color color, Paint paint = Paint::Over);
    // A rectangle of half sizes (hx, hy) around centre, turned by angle radians.
    void FillBox(Point centre, float hx, float hy, float angle, Color color,
                 Paint paint = Paint::Over);
    // A stroke of the given half width with round ends.
    void FillCapsule(Point a, Point b, float halfWidth, Color color, Paint paint = Paint::Over);
    // A brush stroke: round ends, half width tapering from wa at a to wb at b.
    void FillTaper(Point a, Point b, float wa, float wb, Color color);
    void FillPolygon(const std::vector<Point>& points, Color color, Paint paint = Paint::Over);
    // A soft round glow: color * (1 - d/radius)^falloff added to the pixels.
    void AddGlow(Point centre, float radius, Color color, float falloff = 2.0f);

    // 8-bit RGB, top row first, each channel clamped to [0, 1] and rounded.
    std::vector<uint8_t> ToRgb8() const;

private:
    int width, height;
    std::vector<Color> pixels;
};

// Tileable value noise in [0, 1] over a period of `period` cells, seeded.
float TileNoise(float x, float y, int period, uint32_t seed);
// Sum of octaves of TileNoise, in [0, 1].
float TileFractal(float x, float y, int period, int octaves, uint32_t seed);

}  // namespace assets
