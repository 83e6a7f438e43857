// scene_kit.h: building blocks for the show's scenes: meshes made of quads, and keyframe tracks
// sampled from functions of time.
//
// World space is the 3DS one: Z up. Meshes are modelled around their own origin with an
// identity mesh matrix, so an object node's position, rotation and scale place them.
// Faces are counter-clockwise seen from their front; the renderer culls back faces of opaque
// materials, and draws transparent ones from both sides.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/assets/numbers.h"
#include "tools/assets/scene_writer.h"

namespace assets {

using scene_writer::Texel;
using scene_writer::Vec3;

// The show evaluates keyframes at scene milliseconds x 0.01: ten keyframe frames a second.
constexpr float kFramesPerSecond = 10.0f;

Vec3 Add(Vec3 a, Vec3 b);
Vec3 Sub(Vec3 a, Vec3 b);
Vec3 Mul(Vec3 a, float k);
Vec3 Cross(Vec3 a, Vec3 b);
float Dot(Vec3 a, Vec3 b);
float Length(Vec3 a);
Vec3 Normalized(Vec3 a);
Vec3 Lerp(Vec3 a, Vec3 b, float t);
// Smooth step from 0 to 1 over [0, 1].
float Ease(float t);

class MeshBuilder {
public:
    explicit MeshBuilder(std::string name) { mesh.name = std::move(name); }

    void Triangle(Vec3 a, Vec3 b, Vec3 c, Texel ta, Texel tb, Texel tc,
                  const std::string& material);
    // A quad a-b-c-d, counter-clockwise seen from the front; texture (0,0) (1,0) (1,1) (0,1)
    // scaled by (u, v) repeats.
    void Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, const std::string& material, float u = 1.0f,
              float v = 1.0f);
    // Both sides of a quad (for thin opaque things such as paper wings).
    void TwoSidedQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, const std::string& material);
    // An axis-aligned box between lo and hi, faces outwards; textures repeat every `tile`
    // units (0: once per face). Leaves out the bottom when `bottom` is false.
    void Box(Vec3 lo, Vec3 hi, const std::string& material, float tile = 0.0f, bool bottom = true);
    // A ring of `segments` quads around the Z axis from radius r0 to r1 at height z, facing +Z.
    void Disc(float r0, float r1, float z, int segments, const std::string& material,
              bool facingUp = true);
    // The side of a cylinder around Z between z0 and z1, facing out (or in).
    void Cylinder(float radius, float z0, float z1, int segments, const std::string& material,
                  float uRepeat = 1.0f, float vRepeat = 1.0f, bool inward = false);

    const scene_writer::Mesh& Mesh() const { return mesh; }
    // The mesh with its faces grouped by material (in order of first use): the renderer
    // records state for every face, and the driver merges runs that share it.
    scene_writer::Mesh Build() const;

private:
    scene_writer::Mesh mesh;
};

// Keys sampled every `step` frames from frame 0 through `frames` (inclusive, the last one
// exactly at `frames`): the spline through them follows the function closely.
std::vector<scene_writer::VectorKey> SampleVector(const std::function<Vec3(float seconds)>& f,
                                                  int frames, int step);
std::vector<scene_writer::ScalarKey> SampleScalar(const std::function<float(float seconds)>& f,
                                                  int frames, int step);
// Back-and-forth free motion for things that run past again and again: from `from` to `to`
// in `period` seconds, then straight back to `from` within one frame, starting `phase` seconds
// into a pass. Keys sit only at the ends of passes, so each pass eases in and out there.
std::vector<scene_writer::VectorKey> Passes(Vec3 from, Vec3 to, float period, float phase,
                                            int frames);
// A steady turn about axis at `turnsPerSecond`, starting at `phase` radians; keys close enough
// together (at most a third of a turn apart) that each step goes the intended way round.
std::vector<scene_writer::RotationKey> Spin(Vec3 axis, float turnsPerSecond, int frames,
                                            float phase = 0.0f);
// Rotation keys sampled from an angle function about a fixed axis.
std::vector<scene_writer::RotationKey> SampleRotation(Vec3 axis,
                                                      const std::function<float(float)>& angle,
                                                      int frames, int step);

// Catmull-Rom through (time, point) waypoints in time order, clamped at both ends.
Vec3 ThroughWaypoints(const std::vector<std::pair<float, Vec3>>& points, float t);

// Adds a camera "Camera01" with its camera and target nodes moving along the given functions
// of scene time, sampled every `step` frames up to `frames`. roll gives degrees; the file holds
// radians, since that is how the show's camera matrix reads the stored roll.
void AddCameraPath(scene_writer::Scene& scene, const std::function<Vec3(float)>& eye,
                   const std::function<Vec3(float)>& target, float fov, int frames, int step,
                   const std::function<float(float)>& roll = nullptr);

// Frames a scene of duration ms needs: its span, plus a little so the last frame drawn still
// lies between keys.
int SceneFrames(int durationMs);

// Adds a material; transparent ones are drawn additively.
void AddMaterial(scene_writer::Scene& scene, const std::string& name, const std::string& texture,
                 bool transparent = false);

}  // namespace assets

namespace assets {

// A block letter as one mesh, centred on its own origin in the XZ plane (x right, z up),
// `depth` thick along +Y: the front (-Y) face in `front`, the sides in `side`. Filled cells are
// merged into rectangles, so a letter is a handful of boxes.
scene_writer::Mesh GlyphMesh(char c, const std::string& name, float cell, float depth,
                             const std::string& front, const std::string& side);

}  // namespace assets
