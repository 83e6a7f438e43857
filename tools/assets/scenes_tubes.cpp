// scenes_tubes.cpp: the two rides through tubes ("tube.3ds" and "tube1.3ds").
#include <cmath>
#include <functional>
#include <string>

#include "tools/assets/random.h"
#include "tools/assets/scenes_local.h"

namespace assets {

namespace sw = scene_writer;

namespace {

using Path = std::function<Vec3(float)>;

// A frame along a path that runs roughly along +Y: tangent, and two normals.
struct PathFrame {
    Vec3 point, tangent, side, up;
};

PathFrame FrameAt(const Path& path, float s) {
    PathFrame f;
    f.point = path(s);
    f.tangent = Normalized(Sub(path(s + 0.5f), path(s - 0.5f)));
    f.side = Normalized(Cross(f.tangent, {0, 0, 1}));
    f.up = Cross(f.side, f.tangent);
    return f;
}

Vec3 OnRing(const PathFrame& f, float radius, float angle) {
    return Add(f.point,
               Add(Mul(f.side, radius * std::cos(angle)), Mul(f.up, radius * std::sin(angle))));
}

// The wall of a tube of `radius` along the path from s0 to s1, in rings `step` apart, faces
// looking inwards. Texture: u goes round `uRepeat` times, v advances once per ring.
void SweepTube(MeshBuilder& builder, const Path& path, float s0, float s1, float step, float radius,
               int segments, float uRepeat, const std::string& material) {
    for (float s = s0; s < s1; s += step) {
        const PathFrame a = FrameAt(path, s), b = FrameAt(path, s + step);
        for (int i = 0; i < segments; ++i) {
            const float a0 = 2.0f * kPi * i / segments, a1 = 2.0f * kPi * (i + 1) / segments;
            const Vec3 p00 = OnRing(a, radius, a0), p01 = OnRing(a, radius, a1);
            const Vec3 p10 = OnRing(b, radius, a0), p11 = OnRing(b, radius, a1);
            const float u0 = uRepeat * i / segments, u1 = uRepeat * (i + 1) / segments;
            // Counter-clockwise seen from inside the tube.
            builder.Triangle(p00, p11, p10, {u0, 0}, {u1, 1}, {u0, 1}, material);
            builder.Triangle(p00, p01, p11, {u0, 0}, {u1, 0}, {u1, 1}, material);
        }
    }
}

// A strip of light along the path at a fixed angle round it, facing the tube's axis.
void SweepStrip(MeshBuilder& builder, const Path& path, float s0, float s1, float step,
                float radius, float angle, float halfWidth, const std::string& material) {
    for (float s = s0; s < s1; s += step) {
        const PathFrame a = FrameAt(path, s), b = FrameAt(path, s + step);
        const Vec3 a0 = OnRing(a, radius, angle - halfWidth / radius),
                   a1 = OnRing(a, radius, angle + halfWidth / radius);
        const Vec3 b0 = OnRing(b, radius, angle - halfWidth / radius),
                   b1 = OnRing(b, radius, angle + halfWidth / radius);
        builder.Triangle(a0, b0, b1, {0, 0}, {1, 0}, {1, 1}, material);
        builder.Triangle(a0, b1, a1, {0, 0}, {1, 1}, {0, 1}, material);
    }
}

// A square facing along the path at s, centred on it: for rings and halos the camera flies
// through.
void PathSquare(MeshBuilder& builder, const Path& path, float s, float half,
                const std::string& material) {
    const PathFrame f = FrameAt(path, s);
    const Vec3 sx = Mul(f.side, half), sz = Mul(f.up, half);
    builder.Quad(Sub(Sub(f.point, sx), sz), Sub(Add(f.point, sx), sz), Add(Add(f.point, sx), sz),
                 Add(Sub(f.point, sx), sz), material);
}

}  // namespace

sw::Scene BuildTube(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Panels", "tube.png");
    AddMaterial(scene, "Rib", "gold.png");
    AddMaterial(scene, "Ring", "ring.png", true);
    AddMaterial(scene, "Stripe", "beam.png", true);
    AddMaterial(scene, "Packet", "glowb.png", true);
    AddStandardLights(scene);

    const Path path = [](float s) {
        return Vec3{35.0f * std::sin(s / 70.0f), s, 14.0f * std::sin(s / 50.0f)};
    };
    // Distance along the tube: fast from the first frame, faster towards the end.
    const auto travel = [](float t) { return 26.0f * t + 0.9f * t * t; };
    const float length = travel(13.6f) + 60.0f;

    MeshBuilder wall("B_Wall");
    SweepTube(wall, path, -20.0f, length, 18.0f, 7.0f, 8, 2.0f, "Panels");
    scene.meshes.push_back(wall.Build());
    AddMovingNode(scene, "B_Wall", {{0, {0, 0, 0}}});

    // Ribs across the tube face the camera, so the head light shows them at full strength
    // while the walls, seen edge-on, stay dark.
    MeshBuilder ribs("C_Ribs");
    for (float s = 16.0f; s < length; s += 36.0f) {
        const PathFrame f = FrameAt(path, s);
        for (int i = 0; i < 8; ++i) {
            const float a0 = 2.0f * kPi * i / 8, a1 = 2.0f * kPi * (i + 1) / 8;
            const Vec3 i0 = OnRing(f, 5.6f, a0), i1 = OnRing(f, 5.6f, a1);
            const Vec3 o0 = OnRing(f, 7.0f, a0), o1 = OnRing(f, 7.0f, a1);
            ribs.Quad(i0, o0, o1, i1, "Rib");
        }
    }
    scene.meshes.push_back(ribs.Build());
    AddMovingNode(scene, "C_Ribs", {{0, {0, 0, 0}}});

    MeshBuilder rings("Z_Rings");
    for (float s = 20.0f; s < length; s += 35.0f) PathSquare(rings, path, s, 6.5f, "Ring");
    scene.meshes.push_back(rings.Build());
    AddMovingNode(scene, "Z_Rings", {{0, {0, 0, 0}}});

    MeshBuilder stripes("Z_Stripes");
    for (int k = 0; k < 4; ++k) {
        SweepStrip(stripes, path, -20.0f, length, 18.0f, 6.6f, kPi * (0.25f + 0.5f * k), 0.9f,
                   "Stripe");
    }
    scene.meshes.push_back(stripes.Build());
    AddMovingNode(scene, "Z_Stripes", {{0, {0, 0, 0}}});

    // Packets of light racing ahead of the camera along the walls.
    scene.meshes.push_back(FacingQuad("Z_Packet", 2.0f, 2.0f, "Packet"));
    Random random(2);
    for (int i = 0; i < 16; ++i) {
        const float angle = random.Range(0.0f, 2.0f * kPi), start = random.Range(10.0f, 200.0f);
        const float speed = random.Range(35.0f, 60.0f);
        AddMovingNode(scene, "Z_Packet",
                      SampleVector(
                          [=](float t) {
                              const float s = start + speed * t;
                              return OnRing(FrameAt(path, s), 4.5f, angle + t * 0.8f);
                          },
                          frames, 1));
    }

    AddCameraPath(
        scene, [=](float t) { return path(travel(t)); },
        [=](float t) { return path(travel(t) + 22.0f); }, 70.0f, frames, 10,
        [](float t) { return 25.0f * std::sin(t * 0.5f); });
    return scene;
}

sw::Scene BuildGlassTube(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Glass", "lattice.png", true);
    AddMaterial(scene, "Gold", "gold.png");
    AddMaterial(scene, "Wire", "wireo.png", true);
    AddMaterial(scene, "Halo", "ringb.png", true);
    AddStandardLights(scene);

    const Path path = [](float s) {
        return Vec3{28.0f * std::sin(s / 45.0f), s, 18.0f * std::cos(s / 60.0f) - 18.0f};
    };
    const auto travel = [](float t) { return 30.0f * t; };
    const float length = travel(13.6f) + 60.0f;

    MeshBuilder glass("B_Glass");
    SweepTube(glass, path, -20.0f, length, 20.0f, 6.0f, 8, 2.0f, "Glass");
    scene.meshes.push_back(glass.Build());
    AddMovingNode(scene, "B_Glass", {{0, {0, 0, 0}}});

    // Gold rings around the tube, each turning on its own; the tube runs through their middle.
    MeshBuilder ring("C_Ring");
    const int pieces = 8;
    for (int i = 0; i < pieces; ++i) {
        const float a0 = 2.0f * kPi * i / pieces, a1 = 2.0f * kPi * (i + 0.7f) / pieces;
        // One block of the ring: an arc segment as a box-like solid around the Y axis. Its
        // outside is left out: the camera stays inside the glass tube and never sees it.
        const float r0 = 9.0f, r1 = 11.5f, h = 1.0f;
        auto at = [](float r, float a, float y) {
            return Vec3{r * std::cos(a), y, r * std::sin(a)};
        };
        ring.Quad(at(r0, a0, -h), at(r0, a1, -h), at(r1, a1, -h), at(r1, a0, -h),
                  "Gold");                                                                // -Y face
        ring.Quad(at(r1, a0, h), at(r1, a1, h), at(r0, a1, h), at(r0, a0, h), "Gold");    // +Y face
        ring.Quad(at(r0, a0, h), at(r0, a1, h), at(r0, a1, -h), at(r0, a0, -h), "Gold");  // inside
        ring.Quad(at(r0, a0, -h), at(r1, a0, -h), at(r1, a0, h), at(r0, a0, h), "Gold");
        ring.Quad(at(r0, a1, h), at(r1, a1, h), at(r1, a1, -h), at(r0, a1, -h), "Gold");
    }
    scene.meshes.push_back(ring.Build());
    scene.meshes.push_back(FacingQuad("D_Halo", 26.0f, 26.0f, "Halo"));
    int index = 0;
    for (float s = 30.0f; s < length; s += 40.0f, ++index) {
        const PathFrame f = FrameAt(path, s);
        // Orient the ring's Y axis along the path: a rotation about Z by the heading.
        const float heading = std::atan2(-f.tangent.x, f.tangent.y);
        sw::Node node;
        node.name = "C_Ring";
        node.position = {{0, f.point}};
        const float direction = index % 2 ? 1.0f : -1.0f;
        node.rotation = SampleRotation(
            {0, 0, 1}, [heading](float) { return heading; }, frames, frames);
        scene.nodes.push_back(node);
        // The ring's spin is a child turning about the ring's own axis.
        const int parent = static_cast<int>(scene.nodes.size()) - 1;
        scene.nodes[parent].name = "$$$DUMMY";
        scene.nodes[parent].instance = "RingMount" + std::to_string(index);
        sw::Node spin;
        spin.name = "C_Ring";
        spin.parent = parent;
        spin.rotation = Spin({0, 1, 0}, 0.25f * direction, frames);
        scene.nodes.push_back(spin);
        AddMovingNode(scene, "D_Halo", {{0, {0, 0.5f, 0}}}, parent);
    }

    // Glowing wire cubes tumbling outside the glass.
    MeshBuilder cube("E_Cube");
    cube.Box({-2, -2, -2}, {2, 2, 2}, "Wire");
    scene.meshes.push_back(cube.Build());
    Random random(11);
    for (int i = 0; i < 22; ++i) {
        const float s = random.Range(0.0f, length);
        const float angle = random.Range(0.0f, 2.0f * kPi);
        const float radius = random.Range(14.0f, 30.0f);
        const Vec3 p = OnRing(FrameAt(path, s), radius, angle);
        sw::Node node;
        node.name = "E_Cube";
        node.position = SampleVector(
            [=](float t) {
                return Vec3{p.x, p.y, p.z + 3.0f * std::sin(t + i)};
            },
            frames, 10);
        node.rotation = Spin(Normalized({random.Range(-1, 1), random.Range(-1, 1), 1.0f}),
                             random.Range(0.2f, 0.6f), frames);
        scene.nodes.push_back(node);
    }

    AddCameraPath(
        scene, [=](float t) { return path(travel(t)); },
        [=](float t) { return path(travel(t) + 20.0f); }, 75.0f, frames, 10,
        [](float t) { return -20.0f * t; });
    return scene;
}

}  // namespace assets
