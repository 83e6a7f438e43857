// scenes_wheels.cpp: the rolling wheels ("roulet.3ds", "roulet2.3ds") and the finale at the
// roulette ("roulet3.3ds").
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tools/assets/block_font.h"
#include "tools/assets/random.h"
#include "tools/assets/scenes_local.h"

namespace assets {

namespace sw = scene_writer;

namespace {

// A wheel of `radius` and `width` on the X axis: tread round it, a rim disc on each side.
sw::Mesh WheelMesh(const std::string& name, float radius, float width) {
    MeshBuilder wheel(name);
    const int segments = 20;
    const float h = width * 0.5f;
    for (int i = 0; i < segments; ++i) {
        const float a0 = 2.0f * kPi * i / segments, a1 = 2.0f * kPi * (i + 1) / segments;
        const float c0 = std::cos(a0), s0 = std::sin(a0), c1 = std::cos(a1), s1 = std::sin(a1);
        const Vec3 l0{-h, radius * c0, radius * s0}, l1{-h, radius * c1, radius * s1};
        const Vec3 r0{h, radius * c0, radius * s0}, r1{h, radius * c1, radius * s1};
        const float v0 = 4.0f * i / segments, v1 = 4.0f * (i + 1) / segments;
        // Tread, facing outwards: u across the width, v round the wheel.
        wheel.Triangle(l0, r1, r0, {0, v0}, {1, v1}, {1, v0}, "Tyre");
        wheel.Triangle(l0, l1, r1, {0, v0}, {0, v1}, {1, v1}, "Tyre");
        // Rim discs facing out of each side: the rim texture mapped flat across them.
        const Texel t0{0.5f + 0.5f * c0, 0.5f + 0.5f * s0}, t1{0.5f + 0.5f * c1, 0.5f + 0.5f * s1};
        wheel.Triangle({h, 0, 0}, r0, r1, {0.5f, 0.5f}, t0, t1, "Rim");
        wheel.Triangle({-h, 0, 0}, l1, l0, {0.5f, 0.5f}, t1, t0, "Rim");
    }
    return wheel.Build();
}

// A gear in the XZ plane (axis along Y), `teeth` teeth, `thickness` along Y, seen from -Y.
sw::Mesh GearMesh(const std::string& name, float radius, int teeth, float thickness) {
    MeshBuilder gear(name);
    const int steps = teeth * 4;
    const float h = thickness * 0.5f;
    auto profile = [&](int k) {
        // Two steps out on the tooth, two steps down between teeth.
        const float r = (k % 4 < 2) ? radius + 1.2f : radius - 0.6f;
        const float a = 2.0f * kPi * k / steps;
        return std::make_pair(r * std::cos(a), r * std::sin(a));
    };
    for (int k = 0; k < steps; ++k) {
        const auto p0 = profile(k), p1 = profile(k + 1);
        const Vec3 f0{p0.first, -h, p0.second}, f1{p1.first, -h, p1.second};
        const Vec3 b0{p0.first, h, p0.second}, b1{p1.first, h, p1.second};
        const Texel t0{0.5f + p0.first / (2.0f * radius + 3.0f),
                       0.5f + p0.second / (2.0f * radius + 3.0f)};
        const Texel t1{0.5f + p1.first / (2.0f * radius + 3.0f),
                       0.5f + p1.second / (2.0f * radius + 3.0f)};
        // The face towards -Y and the rim, facing outwards. The back (+Y) is left out: the
        // gears turn about Y in front of the camera, which stays on their -Y side.
        gear.Triangle({0, -h, 0}, f0, f1, {0.5f, 0.5f}, t0, t1, "Brass");
        gear.Quad(f0, b0, b1, f1, "Brass");
    }
    return gear.Build();
}

}  // namespace

sw::Scene BuildWheel(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Tyre", "tyre.png");
    AddMaterial(scene, "Rim", "rim.png");
    AddMaterial(scene, "Road", "checker.png");
    AddMaterial(scene, "Grid", "gridp.png", true);
    AddMaterial(scene, "Spark", "glowo.png", true);
    AddMaterial(scene, "Dawn", "dawn.png", true);
    AddStandardLights(scene);

    MeshBuilder dawn("A_Dawn");
    dawn.Box({-900, -900, -50}, {900, 900, 500}, "Dawn");
    scene.meshes.push_back(dawn.Build());
    AddMovingNode(scene, "A_Dawn", {{0, {0, 0, 0}}});
    scene.meshes.push_back(GroundQuad("A_Grid", 1200.0f, 1200.0f, "Grid", 30.0f));
    AddMovingNode(scene, "A_Grid", {{0, {0, 200, -0.2f}}});
    MeshBuilder road("B_Road");
    road.Quad({-14, -200, 0}, {14, -200, 0}, {14, 600, 0}, {-14, 600, 0}, "Road", 1.75f, 50.0f);
    scene.meshes.push_back(road.Build());
    AddMovingNode(scene, "B_Road", {{0, {0, 0, 0}}});

    // One big wheel rolling towards the camera, hopping on the beat.
    const float radius = 12.0f;
    const auto roll = [](float t) { return 130.0f - 30.0f * t; };
    scene.meshes.push_back(WheelMesh("C_Wheel", radius, 7.0f));
    sw::Node wheel;
    wheel.name = "C_Wheel";
    wheel.position = SampleVector(
        [=](float t) {
            return Vec3{0.0f, roll(t), radius + 2.5f * BeatPulse(t, 8.0f) * Ease(t)};
        },
        frames, 1);
    wheel.rotation = SampleRotation(
        {1, 0, 0}, [=](float t) { return -(roll(t) - roll(0.0f)) / radius; }, frames, 1);
    scene.nodes.push_back(wheel);

    // Sparks thrown up behind it.
    scene.meshes.push_back(CrossSprite("D_Spark", 2.0f, "Spark"));
    Random random(10);
    for (int i = 0; i < 30; ++i) {
        // A fan of sparks trailing the wheel's contact point, each flickering on its own beat.
        const float age = random.Range(0.05f, 0.9f), side = random.Range(-4.0f, 4.0f);
        const float up = random.Range(8.0f, 16.0f), back = random.Range(10.0f, 25.0f);
        const float offset = random.Range(0.0f, kBeatSeconds);
        const int node =
            AddMovingNode(scene, "D_Spark",
                          SampleVector(
                              [=](float t) {
                                  return Vec3{side * (1.0f + age), roll(t) + back * age,
                                              0.5f + up * age - 12.0f * age * age};
                              },
                              frames, 2));
        scene.nodes[node].scale = SampleVector(
            [=](float t) {
                const float s = 0.3f + 1.2f * BeatPulse(2.0f * (t - offset), 4.0f);
                return Vec3{s, s, s};
            },
            frames, 1);
    }

    // Low at the roadside, turning to watch it pass.
    AddCameraPath(
        scene,
        [](float t) {
            return Vec3{24.0f - 4.0f * t / 6.7f, -30.0f + 6.0f * t / 6.7f, 5.0f + 2.0f * t / 6.7f};
        },
        [=](float t) {
            return Vec3{0.0f, roll(t) - 10.0f, radius * 0.9f};
        },
        45.0f, frames, 1);
    return scene;
}

sw::Scene BuildGears(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Brass", "brass.png");
    AddMaterial(scene, "Tyre", "tyre.png");
    AddMaterial(scene, "Rim", "rim.png");
    AddMaterial(scene, "Road", "checker.png");
    AddMaterial(scene, "Back", "lattice.png", true);
    AddMaterial(scene, "Axle", "glowo.png", true);
    AddStandardLights(scene);

    scene.meshes.push_back(FacingQuad("A_Back", 600.0f, 300.0f, "Back", 6.0f));
    AddMovingNode(scene, "A_Back", {{0, {0, 60, 20}}});

    // A train of gears across the scene, each meshing with the next, so each turns the other
    // way at a speed set by the ratio of their sizes.
    const float radii[] = {10.0f, 6.0f, 12.0f, 5.0f, 9.0f, 7.0f, 11.0f, 6.0f, 10.0f};
    float x = -95.0f, speed = 0.2f, previousRadius = 0.0f;
    scene.meshes.push_back(CrossSprite("Z_Axle", 5.0f, "Axle"));
    for (int i = 0; i < 9; ++i) {
        const float r = radii[i];
        if (i > 0) {
            x += previousRadius + r + 1.3f;
            speed = -speed * previousRadius / r;
        }
        const std::string mesh = "B_Gear" + std::to_string(i);
        scene.meshes.push_back(GearMesh(mesh, r, static_cast<int>(r * 1.4f), 3.0f));
        sw::Node gear;
        gear.name = mesh;
        gear.position = {{0, {x, 0, 22.0f + (i % 2 ? 6.0f : -6.0f)}}};
        // Teeth must interlock: alternate gears start half a tooth apart.
        gear.rotation = Spin({0, 1, 0}, speed, frames, i % 2 ? kPi / (r * 1.4f) : 0.0f);
        scene.nodes.push_back(gear);
        AddMovingNode(scene, "Z_Axle", {{0, {x, -2.0f, 22.0f + (i % 2 ? 6.0f : -6.0f)}}});
        previousRadius = r;
    }

    // Wheels rolling along the road below the gears, one after another.
    MeshBuilder road("C_Road");
    road.Quad({-400, -12, 0}, {400, -12, 0}, {400, 12, 0}, {-400, 12, 0}, "Road", 25.0f, 0.75f);
    scene.meshes.push_back(road.Build());
    AddMovingNode(scene, "C_Road", {{0, {0, -10, 0}}});
    scene.meshes.push_back(WheelMesh("D_Wheel", 4.0f, 2.5f));
    for (int i = 0; i < 6; ++i) {
        const float start = -160.0f - 45.0f * i, pace = 18.0f + 2.0f * i;
        const float lane = -16.0f + 4.0f * (i % 3);
        sw::Node wheel;
        wheel.name = "D_Wheel";
        // The wheel mesh turns about X; a quarter turn about Z makes it roll along X.
        wheel.position = SampleVector(
            [=](float t) {
                return Vec3{start + pace * t, lane, 4.0f};
            },
            frames, 10);
        sw::Node mount = wheel;
        mount.name = "$$$DUMMY";
        mount.instance = "WheelMount" + std::to_string(i);
        mount.rotation = {{0, {0, 0, 1}, kPi * 0.5f}};
        scene.nodes.push_back(mount);
        sw::Node spin;
        spin.name = "D_Wheel";
        spin.parent = static_cast<int>(scene.nodes.size()) - 1;
        spin.rotation = SampleRotation(
            {1, 0, 0}, [=](float t) { return pace * t / 4.0f; }, frames, 1);
        scene.nodes.push_back(spin);
    }

    // Tracking along the gear train, drifting closer and back.
    AddCameraPath(
        scene,
        [](float t) {
            const float k = t / 20.0f;
            return Vec3{-90.0f + 170.0f * k, -70.0f + 25.0f * std::sin(k * kPi),
                        14.0f + 10.0f * std::sin(k * 2.0f * kPi)};
        },
        [](float t) {
            const float k = t / 20.0f;
            return Vec3{-70.0f + 160.0f * k, 0.0f, 18.0f};
        },
        55.0f, frames, 2);
    return scene;
}

sw::Scene BuildRoulette(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Table", "roulette.png");
    AddMaterial(scene, "Gold", "gold.png");
    AddMaterial(scene, "Lacquer", "lacquer.png");
    AddMaterial(scene, "Ball", "glow.png", true);
    AddMaterial(scene, "Halo", "ring.png", true);
    AddMaterial(scene, "Floor", "grid.png", true);
    AddStandardLights(scene);

    scene.meshes.push_back(GroundQuad("A_Floor", 800.0f, 800.0f, "Floor", 20.0f));
    AddMovingNode(scene, "A_Floor", {{0, {0, 0, -6}}});
    scene.meshes.push_back(FacingQuad("A_Halo", 160.0f, 160.0f, "Halo"));
    const int halo = AddMovingNode(scene, "A_Halo", {{0, {0, 60, 40}}});
    scene.nodes[halo].scale = SampleVector(
        [](float t) {
            const float s = 0.9f + 0.12f * BeatPulse(t) + 0.3f * Ease((t - 12.0f) / 6.0f);
            return Vec3{s, s, s};
        },
        frames, 1);

    // The wheel: the numbered top, a lacquer bowl round it, spinning down.
    MeshBuilder top("B_Wheel");
    const int segments = 32;
    const float radius = 40.0f;
    for (int i = 0; i < segments; ++i) {
        const float a0 = 2.0f * kPi * i / segments, a1 = 2.0f * kPi * (i + 1) / segments;
        const Vec3 p0{radius * std::cos(a0), radius * std::sin(a0), 0},
            p1{radius * std::cos(a1), radius * std::sin(a1), 0};
        top.Triangle({0, 0, 0}, p0, p1, {0.5f, 0.5f},
                     {0.5f + 0.5f * std::cos(a0), 0.5f + 0.5f * std::sin(a0)},
                     {0.5f + 0.5f * std::cos(a1), 0.5f + 0.5f * std::sin(a1)}, "Table");
    }
    top.Cylinder(radius, -6.0f, 0.0f, segments, "Lacquer", 8.0f, 1.0f);
    top.Cylinder(radius + 4.0f, -6.0f, 3.0f, segments, "Lacquer", 8.0f, 1.0f);
    top.Disc(radius, radius + 4.0f, 3.0f, segments, "Gold");
    scene.meshes.push_back(top.Build());
    sw::Node wheel;
    wheel.name = "B_Wheel";
    wheel.rotation = SampleRotation(
        {0, 0, 1}, [](float t) { return 2.0f * kPi * (0.5f * t - 0.012f * t * t); }, frames, 1);
    scene.nodes.push_back(wheel);
    MeshBuilder turret("C_Turret");
    turret.Box({-3, -3, 0}, {3, 3, 8}, "Gold");
    turret.Box({-12, -1, 6}, {12, 1, 8}, "Gold");
    turret.Box({-1, -12, 6}, {1, 12, 8}, "Gold");
    scene.meshes.push_back(turret.Build());
    sw::Node turretNode;
    turretNode.name = "C_Turret";
    turretNode.parent = static_cast<int>(scene.nodes.size()) - 1;
    scene.nodes.push_back(turretNode);

    // The ball running round against the wheel, spiralling into the pockets.
    scene.meshes.push_back(CrossSprite("Z_Ball", 4.0f, "Ball"));
    AddMovingNode(scene, "Z_Ball",
                  SampleVector(
                      [=](float t) {
                          const float a = -2.0f * kPi * (1.1f * t - 0.03f * t * t);
                          const float r = radius - 4.0f - 10.0f * Ease(t / 14.0f);
                          return Vec3{r * std::cos(a), r * std::sin(a), 1.5f + 1.0f * BeatPulse(t)};
                      },
                      frames, 1));

    // The title rises behind the wheel for the end.
    const std::string title = "KELVO REMIX";
    const float cell = 1.6f, advance = (kGlyphColumns + 1) * cell;
    const float left = -TextColumns(title) * cell * 0.5f + kGlyphColumns * cell * 0.5f;
    std::string made;
    for (size_t i = 0; i < title.size(); ++i) {
        const char c = title[i];
        if (c == ' ') continue;
        const std::string mesh = std::string("T_") + c;
        if (made.find(c) == std::string::npos) {
            scene.meshes.push_back(GlyphMesh(c, mesh, cell, 2.5f, "Gold", "Lacquer"));
            made += c;
        }
        const float rise = 11.0f + i * 0.15f;
        sw::Node letter;
        letter.name = mesh;
        letter.position = SampleVector(
            [=](float t) {
                const float k = Ease((t - rise) / 3.0f);
                return Vec3{left + i * advance, 55.0f,
                            -60.0f + 95.0f * k + 0.8f * std::sin(t * 2.0f + i)};
            },
            frames, 1);
        scene.nodes.push_back(letter);
    }

    // From high above the wheel, down to the table's edge, then back to frame the title.
    const std::vector<std::pair<float, Vec3>> eye = {
        {0.0f, {0, -25, 130}},  {5.0f, {-40, -70, 70}}, {10.0f, {20, -85, 35}},
        {15.0f, {0, -110, 40}}, {20.5f, {0, -125, 42}},
    };
    const std::vector<std::pair<float, Vec3>> look = {
        {0.0f, {0, 0, 0}},
        {10.0f, {0, 0, 5}},
        {14.0f, {0, 20, 25}},
        {20.5f, {0, 40, 34}},
    };
    AddCameraPath(
        scene, [&eye](float t) { return ThroughWaypoints(eye, t); },
        [&look](float t) { return ThroughWaypoints(look, t); }, 55.0f, frames, 1);
    return scene;
}

}  // namespace assets
