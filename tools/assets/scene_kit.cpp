// scene_kit.cpp: building blocks for the show's scenes: meshes made of quads, and keyframe tracks
// sampled from functions of time.
#include "tools/assets/scene_kit.h"

#include "tools/assets/block_font.h"

#include <algorithm>
#include <cmath>

namespace assets {

using scene_writer::RotationKey;
using scene_writer::ScalarKey;
using scene_writer::VectorKey;

Vec3 Add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Mul(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
Vec3 Normalized(Vec3 a) {
    const float l = Length(a);
    return l > 0.0f ? Mul(a, 1.0f / l) : a;
}
Vec3 Lerp(Vec3 a, Vec3 b, float t) { return Add(a, Mul(Sub(b, a), t)); }
float Ease(float t) {
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    return t * t * (3.0f - 2.0f * t);
}

void MeshBuilder::Triangle(Vec3 a, Vec3 b, Vec3 c, Texel ta, Texel tb, Texel tc,
                           const std::string& material) {
    const auto first = static_cast<unsigned short>(mesh.points.size());
    mesh.points.insert(mesh.points.end(), {a, b, c});
    mesh.texels.insert(mesh.texels.end(), {ta, tb, tc});
    mesh.faces.push_back({first, static_cast<unsigned short>(first + 1),
                          static_cast<unsigned short>(first + 2), material});
}

void MeshBuilder::Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, const std::string& material, float u,
                       float v) {
    const auto first = static_cast<unsigned short>(mesh.points.size());
    mesh.points.insert(mesh.points.end(), {a, b, c, d});
    mesh.texels.insert(mesh.texels.end(), {{0.0f, 0.0f}, {u, 0.0f}, {u, v}, {0.0f, v}});
    const auto p = [first](int k) { return static_cast<unsigned short>(first + k); };
    mesh.faces.push_back({p(0), p(1), p(2), material});
    mesh.faces.push_back({p(0), p(2), p(3), material});
}

void MeshBuilder::TwoSidedQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, const std::string& material) {
    Quad(a, b, c, d, material);
    Quad(d, c, b, a, material);
}

scene_writer::Mesh MeshBuilder::Build() const {
    std::vector<std::string> order;
    for (const auto& face : mesh.faces)
        if (std::find(order.begin(), order.end(), face.material) == order.end())
            order.push_back(face.material);
    scene_writer::Mesh grouped = mesh;
    std::stable_sort(grouped.faces.begin(), grouped.faces.end(),
                     [&order](const auto& a, const auto& b) {
                         return std::find(order.begin(), order.end(), a.material) <
                                std::find(order.begin(), order.end(), b.material);
                     });
    return grouped;
}

void MeshBuilder::Box(Vec3 lo, Vec3 hi, const std::string& material, float tile, bool bottom) {
    const float sx = hi.x - lo.x, sy = hi.y - lo.y, sz = hi.z - lo.z;
    auto rep = [tile](float size) { return tile > 0.0f ? size / tile : 1.0f; };
    const Vec3 p000{lo.x, lo.y, lo.z}, p100{hi.x, lo.y, lo.z}, p110{hi.x, hi.y, lo.z},
        p010{lo.x, hi.y, lo.z}, p001{lo.x, lo.y, hi.z}, p101{hi.x, lo.y, hi.z},
        p111{hi.x, hi.y, hi.z}, p011{lo.x, hi.y, hi.z};
    Quad(p000, p100, p101, p001, material, rep(sx), rep(sz));              // -Y
    Quad(p100, p110, p111, p101, material, rep(sy), rep(sz));              // +X
    Quad(p110, p010, p011, p111, material, rep(sx), rep(sz));              // +Y
    Quad(p010, p000, p001, p011, material, rep(sy), rep(sz));              // -X
    Quad(p001, p101, p111, p011, material, rep(sx), rep(sy));              // +Z
    if (bottom) Quad(p010, p110, p100, p000, material, rep(sx), rep(sy));  // -Z
}

void MeshBuilder::Disc(float r0, float r1, float z, int segments, const std::string& material,
                       bool facingUp) {
    for (int i = 0; i < segments; ++i) {
        const float a0 = 2.0f * kPi * i / segments, a1 = 2.0f * kPi * (i + 1) / segments;
        const Vec3 i0{r0 * std::cos(a0), r0 * std::sin(a0), z},
            i1{r0 * std::cos(a1), r0 * std::sin(a1), z};
        const Vec3 o0{r1 * std::cos(a0), r1 * std::sin(a0), z},
            o1{r1 * std::cos(a1), r1 * std::sin(a1), z};
        const float u0 = static_cast<float>(i) / segments,
                    u1 = static_cast<float>(i + 1) / segments;
        if (facingUp) {
            Triangle(i0, o0, o1, {u0, 0}, {u0, 1}, {u1, 1}, material);
            Triangle(i0, o1, i1, {u0, 0}, {u1, 1}, {u1, 0}, material);
        } else {
            Triangle(i0, o1, o0, {u0, 0}, {u1, 1}, {u0, 1}, material);
            Triangle(i0, i1, o1, {u0, 0}, {u1, 0}, {u1, 1}, material);
        }
    }
}

void MeshBuilder::Cylinder(float radius, float z0, float z1, int segments,
                           const std::string& material, float uRepeat, float vRepeat, bool inward) {
    for (int i = 0; i < segments; ++i) {
        const float a0 = 2.0f * kPi * i / segments, a1 = 2.0f * kPi * (i + 1) / segments;
        const Vec3 b0{radius * std::cos(a0), radius * std::sin(a0), z0};
        const Vec3 b1{radius * std::cos(a1), radius * std::sin(a1), z0};
        const Vec3 t0{b0.x, b0.y, z1}, t1{b1.x, b1.y, z1};
        const float u0 = uRepeat * i / segments, u1 = uRepeat * (i + 1) / segments;
        if (!inward) {
            Triangle(b0, b1, t1, {u0, 0}, {u1, 0}, {u1, vRepeat}, material);
            Triangle(b0, t1, t0, {u0, 0}, {u1, vRepeat}, {u0, vRepeat}, material);
        } else {
            Triangle(b0, t1, b1, {u0, 0}, {u1, vRepeat}, {u1, 0}, material);
            Triangle(b0, t0, t1, {u0, 0}, {u0, vRepeat}, {u1, vRepeat}, material);
        }
    }
}

std::vector<VectorKey> SampleVector(const std::function<Vec3(float)>& f, int frames, int step) {
    std::vector<VectorKey> keys;
    for (int frame = 0;; frame += step) {
        if (frame > frames) frame = frames;
        keys.push_back({frame, f(frame / kFramesPerSecond)});
        if (frame == frames) break;
    }
    return keys;
}

std::vector<ScalarKey> SampleScalar(const std::function<float(float)>& f, int frames, int step) {
    std::vector<ScalarKey> keys;
    for (int frame = 0;; frame += step) {
        if (frame > frames) frame = frames;
        keys.push_back({frame, f(frame / kFramesPerSecond)});
        if (frame == frames) break;
    }
    return keys;
}

std::vector<RotationKey> SampleRotation(Vec3 axis, const std::function<float(float)>& angle,
                                        int frames, int step) {
    std::vector<RotationKey> keys;
    for (int frame = 0;; frame += step) {
        if (frame > frames) frame = frames;
        keys.push_back({frame, axis, angle(frame / kFramesPerSecond)});
        if (frame == frames) break;
    }
    return keys;
}

std::vector<VectorKey> Passes(Vec3 from, Vec3 to, float period, float phase, int frames) {
    std::vector<VectorKey> keys;
    const float framesPerPass = period * kFramesPerSecond;
    float progress = phase / period;
    progress -= std::floor(progress);
    keys.push_back({0, Lerp(from, to, progress)});
    int frame = static_cast<int>((1.0f - progress) * framesPerPass);
    while (frame < frames) {
        if (frame > keys.back().frame) keys.push_back({frame, to});
        keys.push_back({frame + 1, from});
        frame += static_cast<int>(framesPerPass);
    }
    const float last = (frames - keys.back().frame) / framesPerPass;
    keys.push_back({frames, Lerp(from, to, last)});
    return keys;
}

std::vector<RotationKey> Spin(Vec3 axis, float turnsPerSecond, int frames, float phase) {
    const float framesPerTurn =
        kFramesPerSecond / std::fabs(turnsPerSecond == 0.0f ? 1e-6f : turnsPerSecond);
    int step = static_cast<int>(framesPerTurn / 4.0f);
    if (step < 1) step = 1;
    if (step > 5) step = 5;
    return SampleRotation(
        axis, [=](float s) { return phase + 2.0f * kPi * turnsPerSecond * s; }, frames, step);
}

void AddCameraPath(scene_writer::Scene& scene, const std::function<Vec3(float)>& eye,
                   const std::function<Vec3(float)>& target, float fov, int frames, int step,
                   const std::function<float(float)>& roll) {
    const int index = scene_writer::AddStillCamera(scene, "Camera01", eye(0.0f), target(0.0f), fov);
    scene.nodes[index].position = SampleVector(eye, frames, step);
    scene.nodes[index].fov = {{0, fov}};
    if (roll) {
        scene.nodes[index].roll =
            SampleScalar([&roll](float t) { return roll(t) * kPi / 180.0f; }, frames, step);
    }
    scene.nodes[index + 1].position = SampleVector(target, frames, step);
    if (scene.frames < frames) scene.frames = frames;
}

int SceneFrames(int durationMs) {
    return static_cast<int>(std::ceil(durationMs * 0.001f * kFramesPerSecond)) + 2;
}

void AddMaterial(scene_writer::Scene& scene, const std::string& name, const std::string& texture,
                 bool transparent) {
    scene_writer::Material material;
    material.name = name;
    material.textureName = texture;
    material.transparency = transparent ? 0.5f : 0.0f;
    scene.materials.push_back(material);
}

}  // namespace assets

namespace assets {

namespace {

struct CellRect {
    int column, row, width, height;
};

// Greedy cover of a glyph's filled cells by rectangles: grow right, then down.
std::vector<CellRect> GlyphRects(char c) {
    bool used[kGlyphRows][kGlyphColumns] = {};
    std::vector<CellRect> rects;
    for (int row = 0; row < kGlyphRows; ++row) {
        for (int column = 0; column < kGlyphColumns; ++column) {
            if (used[row][column] || !GlyphCell(c, column, row)) continue;
            int width = 1;
            while (column + width < kGlyphColumns && !used[row][column + width] &&
                   GlyphCell(c, column + width, row)) {
                ++width;
            }
            int height = 1;
            for (;; ++height) {
                if (row + height >= kGlyphRows) break;
                bool full = true;
                for (int k = 0; k < width; ++k) {
                    if (used[row + height][column + k] || !GlyphCell(c, column + k, row + height))
                        full = false;
                }
                if (!full) break;
            }
            for (int r = 0; r < height; ++r) {
                for (int k = 0; k < width; ++k) used[row + r][column + k] = true;
            }
            rects.push_back({column, row, width, height});
        }
    }
    return rects;
}

}  // namespace

namespace {

// Whether cells (column, row) to (column, row + height - 1) of glyph c are all filled.
bool ColumnFilled(char c, int column, int row, int height) {
    for (int k = 0; k < height; ++k)
        if (!GlyphCell(c, column, row + k)) return false;
    return true;
}

// Whether cells (column, row) to (column + width - 1, row) of glyph c are all filled.
bool RowFilled(char c, int row, int column, int width) {
    for (int k = 0; k < width; ++k)
        if (!GlyphCell(c, column + k, row)) return false;
    return true;
}

}  // namespace

scene_writer::Mesh GlyphMesh(char c, const std::string& name, float cell, float depth,
                             const std::string& front, const std::string& side) {
    MeshBuilder builder(name);
    const float x0 = -kGlyphColumns * cell * 0.5f, z0 = kGlyphRows * cell * 0.5f;
    for (const CellRect& r : GlyphRects(c)) {
        const Vec3 lo{x0 + r.column * cell, -depth * 0.5f, z0 - (r.row + r.height) * cell};
        const Vec3 hi{x0 + (r.column + r.width) * cell, depth * 0.5f, z0 - r.row * cell};
        const Vec3 p000{lo.x, lo.y, lo.z}, p100{hi.x, lo.y, lo.z}, p110{hi.x, hi.y, lo.z},
            p010{lo.x, hi.y, lo.z}, p001{lo.x, lo.y, hi.z}, p101{hi.x, lo.y, hi.z},
            p111{hi.x, hi.y, hi.z}, p011{lo.x, hi.y, hi.z};
        // Sides that lie flat against a neighbouring rectangle can never be seen: left out.
        builder.Quad(p000, p100, p101, p001, front, r.width * 0.25f, r.height * 0.25f);
        if (!ColumnFilled(c, r.column + r.width, r.row, r.height))
            builder.Quad(p100, p110, p111, p101, side);
        builder.Quad(p110, p010, p011, p111, side);
        if (!ColumnFilled(c, r.column - 1, r.row, r.height))
            builder.Quad(p010, p000, p001, p011, side);
        if (!RowFilled(c, r.row - 1, r.column, r.width)) builder.Quad(p001, p101, p111, p011, side);
        if (!RowFilled(c, r.row + r.height, r.column, r.width))
            builder.Quad(p010, p110, p100, p000, side);
    }
    return builder.Build();
}

}  // namespace assets
