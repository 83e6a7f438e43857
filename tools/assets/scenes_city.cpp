// scenes_city.cpp: glowing lines ("line.3ds") and the city flown over ("vil.3ds").
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tools/assets/random.h"
#include "tools/assets/scenes_local.h"

namespace assets {

namespace sw = scene_writer;

sw::Scene BuildLines(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "BlueLine", "beam.png", true);
    AddMaterial(scene, "PinkLine", "beamp.png", true);
    AddMaterial(scene, "OrangeLine", "beamo.png", true);
    AddMaterial(scene, "Node", "glow.png", true);
    AddMaterial(scene, "Core", "wire.png", true);
    AddStandardLights(scene);

    // A lattice of lines 40 apart in three directions, each direction its own colour, four
    // lines wide round the camera's way. Long thin triangles are dear to rasterise, so the
    // lattice stops where its lines would only be hairlines.
    MeshBuilder lattice("A_Lattice");
    const float reach = 100.0f;
    for (int i = -2; i < 2; ++i) {
        const float a = 20.0f + 40.0f * i;
        for (int j = -5; j <= 5; ++j) {
            const float b = 20.0f + 40.0f * j;
            AddBeam(lattice, {-reach, b, a}, {reach, b, a}, 1.4f, "BlueLine");
            AddBeam(lattice, {a, b, -reach}, {a, b, reach}, 1.4f, "OrangeLine");
        }
        for (int k = -2; k < 2; ++k)
            AddBeam(lattice, {a, -230.0f, 20.0f + 40.0f * k}, {a, 230.0f, 20.0f + 40.0f * k}, 1.4f,
                    "PinkLine");
    }
    scene.meshes.push_back(lattice.Build());
    AddMovingNode(scene, "A_Lattice", {{0, {0, 0, 0}}});

    // Sparks shooting along the lines, and nodes pulsing on the beat at some crossings.
    MeshBuilder trail("B_Trail");
    AddBeam(trail, {0, -9, 0}, {0, 9, 0}, 3.0f, "PinkLine");
    scene.meshes.push_back(trail.Build());
    scene.meshes.push_back(CrossSprite("C_Node", 5.0f, "Node"));
    Random random(4);
    for (int n = 0; n < 36; ++n) {
        const float x = 20.0f + 40.0f * (random.Below(4) - 2),
                    z = 20.0f + 40.0f * (random.Below(4) - 2);
        const float speed = random.Range(60.0f, 140.0f) * (random.Unit() < 0.5f ? -1.0f : 1.0f);
        const float phase = random.Range(0.0f, 10.0f);
        const Vec3 from{x, speed > 0.0f ? -400.0f : 400.0f, z};
        const Vec3 to{x, speed > 0.0f ? 400.0f : -400.0f, z};
        AddMovingNode(scene, "B_Trail", Passes(from, to, 800.0f / std::fabs(speed), phase, frames));
    }
    for (int n = 0; n < 40; ++n) {
        const Vec3 p{20.0f + 40.0f * (random.Below(4) - 2), 20.0f + 40.0f * (random.Below(11) - 5),
                     20.0f + 40.0f * (random.Below(4) - 2)};
        const float offset = random.Below(4) * kBeatSeconds * 0.25f;
        const int node = AddMovingNode(scene, "C_Node", {{0, p}});
        scene.nodes[node].scale = SampleVector(
            [=](float t) {
                const float s = 0.6f + 1.4f * BeatPulse(t - offset, 5.0f);
                return Vec3{s, s, s};
            },
            frames, 1);
    }

    // A glowing wire cube turning at the heart of the lattice, nested two deep.
    MeshBuilder core("D_Core");
    core.Box({-8, -8, -8}, {8, 8, 8}, "Core");
    scene.meshes.push_back(core.Build());
    MeshBuilder inner("D_Inner");
    inner.Box({-4, -4, -4}, {4, 4, 4}, "Core");
    scene.meshes.push_back(inner.Build());
    sw::Node outer;
    outer.name = "D_Core";
    outer.position = {{0, {0, 40, 0}}};
    outer.rotation = Spin(Normalized({1, 1, 1}), 0.12f, frames);
    scene.nodes.push_back(outer);
    sw::Node innerNode;
    innerNode.name = "D_Inner";
    innerNode.parent = static_cast<int>(scene.nodes.size()) - 1;
    innerNode.rotation = Spin(Normalized({1, -1, 0}), -0.3f, frames);
    scene.nodes.push_back(innerNode);

    // Through the lattice between its lines, past the core, out and back towards it.
    const std::vector<std::pair<float, Vec3>> eye = {
        {0.0f, {0, -220, 0}},  {5.0f, {0, -120, 0}},  {9.0f, {-20, -40, 40}},
        {13.0f, {40, 40, 40}}, {17.0f, {40, 120, 0}}, {20.3f, {0, 170, -20}},
    };
    const std::vector<std::pair<float, Vec3>> look = {
        {0.0f, {0, 0, 0}},   {5.0f, {0, 40, 0}},  {9.0f, {0, 40, 0}},
        {13.0f, {0, 40, 0}}, {17.0f, {0, 40, 0}}, {20.3f, {0, 40, 0}},
    };
    AddCameraPath(
        scene, [&eye](float t) { return ThroughWaypoints(eye, t); },
        [&look](float t) { return ThroughWaypoints(look, t); }, 65.0f, frames, 10,
        [](float t) { return 10.0f * std::sin(t * 0.4f); });
    return scene;
}

namespace {

// One building: facade on the four sides (texture tiled every 16 units), concrete roof.
void AddBuilding(MeshBuilder& city, Vec3 lo, Vec3 hi) {
    const float sx = (hi.x - lo.x) / 16.0f, sy = (hi.y - lo.y) / 16.0f, sz = (hi.z - lo.z) / 16.0f;
    const Vec3 p000{lo.x, lo.y, lo.z}, p100{hi.x, lo.y, lo.z}, p110{hi.x, hi.y, lo.z},
        p010{lo.x, hi.y, lo.z}, p001{lo.x, lo.y, hi.z}, p101{hi.x, lo.y, hi.z},
        p111{hi.x, hi.y, hi.z}, p011{lo.x, hi.y, hi.z};
    city.Quad(p000, p100, p101, p001, "Facade", sx, sz);
    city.Quad(p100, p110, p111, p101, "Facade", sy, sz);
    city.Quad(p110, p010, p011, p111, "Facade", sx, sz);
    city.Quad(p010, p000, p001, p011, "Facade", sy, sz);
    city.Quad(p001, p101, p111, p011, "Roof");
}

}  // namespace

sw::Scene BuildCity(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Facade", "facade.png");
    AddMaterial(scene, "Roof", "concrete.png");
    AddMaterial(scene, "Street", "street.png");
    AddMaterial(scene, "Lacquer", "lacquer.png");
    AddMaterial(scene, "Gold", "gold.png");
    AddMaterial(scene, "Beacon", "glowp.png", true);
    AddMaterial(scene, "Car", "glow.png", true);
    AddMaterial(scene, "Search", "beamo.png", true);
    AddMaterial(scene, "Halo", "ring.png", true);
    AddMaterial(scene, "Sky", "stars.png", true);
    AddStandardLights(scene);

    // The sky stands on the land's edge: below the horizon the land would cover it anyway,
    // and the renderer would still fill every pixel of it.
    MeshBuilder sky("A_Sky");
    sky.Box({-1500, -1500, 0}, {1500, 1500, 1200}, "Sky", 0.0f, false);
    scene.meshes.push_back(sky.Build());
    AddMovingNode(scene, "A_Sky", {{0, {0, 0, 0}}});

    // Blocks of 40 units: roads along the low-x and high-y edge of each block (as the street
    // texture draws them), one building in the rest.
    // Nodes are drawn in name order: the ground comes after the city, so that the depth
    // test turns away the ground hidden behind buildings before it is textured.
    MeshBuilder ground("D_Ground");
    ground.Quad({-200, -200, 0}, {200, -200, 0}, {200, 200, 0}, {-200, 200, 0}, "Street", 10, 10);
    // Land beyond the blocks out to the sky: four strips round the city.
    ground.Quad({-1500, -1500, 0}, {1500, -1500, 0}, {1500, -200, 0}, {-1500, -200, 0}, "Roof", 33,
                15);
    ground.Quad({-1500, 200, 0}, {1500, 200, 0}, {1500, 1500, 0}, {-1500, 1500, 0}, "Roof", 33, 15);
    ground.Quad({-1500, -200, 0}, {-200, -200, 0}, {-200, 200, 0}, {-1500, 200, 0}, "Roof", 15, 4);
    ground.Quad({200, -200, 0}, {1500, -200, 0}, {1500, 200, 0}, {200, 200, 0}, "Roof", 15, 4);
    scene.meshes.push_back(ground.Build());
    AddMovingNode(scene, "D_Ground", {{0, {0, 0, 0}}});

    MeshBuilder city("C_City");
    Random random(60);
    std::vector<Vec3> roofs;
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 10; ++j) {
            const float x0 = -200.0f + 40.0f * i, y0 = -200.0f + 40.0f * j;
            if (i == 4 && j == 4) continue;  // the pagoda's block
            const float centre = std::hypot(x0 + 20.0f, y0 + 20.0f);
            float height = random.Range(14.0f, 40.0f) +
                           std::max(0.0f, 130.0f - centre) * random.Range(0.2f, 0.7f);
            const float inset = random.Range(0.0f, 3.0f);
            AddBuilding(city, {x0 + 12.0f + inset, y0 + 2.0f + inset, 0.0f},
                        {x0 + 38.0f - inset, y0 + 28.0f - inset, height});
            if (height > 55.0f) roofs.push_back({x0 + 25.0f, y0 + 15.0f, height + 3.0f});
        }
    }
    scene.meshes.push_back(city.Build());
    AddMovingNode(scene, "C_City", {{0, {0, 0, 0}}});

    // The pagoda: stacked lacquer storeys under gold roofs, its crown turning.
    MeshBuilder pagoda("D_Pagoda");
    for (int storey = 0; storey < 7; ++storey) {
        const float z0 = storey * 18.0f, half = 11.0f - storey * 1.1f;
        pagoda.Box({-half, -half, z0}, {half, half, z0 + 14.0f}, "Lacquer", 8.0f, false);
        pagoda.Box({-half - 4.0f, -half - 4.0f, z0 + 14.0f}, {half + 4.0f, half + 4.0f, z0 + 18.0f},
                   "Gold", 0.0f);
    }
    scene.meshes.push_back(pagoda.Build());
    AddMovingNode(scene, "D_Pagoda", {{0, {-15.0f, -25.0f, 0.0f}}});
    scene.meshes.push_back(FacingQuad("E_Halo", 60.0f, 60.0f, "Halo"));
    const int halo = AddMovingNode(scene, "E_Halo", {{0, {-15.0f, -25.0f, 145.0f}}});
    scene.nodes[halo].rotation = Spin({0, 0, 1}, 0.2f, frames);
    scene.nodes[halo].scale = SampleVector(
        [](float t) {
            const float s = 1.0f + 0.25f * BeatPulse(t);
            return Vec3{s, s, s};
        },
        frames, 1);

    // Beacons on the tall roofs, blinking on the beat.
    scene.meshes.push_back(CrossSprite("F_Beacon", 8.0f, "Beacon"));
    for (size_t k = 0; k < roofs.size(); ++k) {
        const int node = AddMovingNode(scene, "F_Beacon", {{0, roofs[k]}});
        const float offset = (k % 4) * kBeatSeconds;
        scene.nodes[node].scale = SampleVector(
            [=](float t) {
                const float s = 0.4f + 1.2f * BeatPulse((t - offset) / 4.0f, 3.0f);
                return Vec3{s, s, s};
            },
            frames, 1);
    }

    // Cars: lights moving along the roads, both ways.
    scene.meshes.push_back(CrossSprite("G_Car", 3.0f, "Car"));
    for (int n = 0; n < 40; ++n) {
        const bool alongY = n % 2 == 0;
        const float lane = -195.0f + 40.0f * random.Below(10) + (alongY ? 0.0f : 30.0f);
        const float side = random.Unit() < 0.5f ? -2.0f : 2.0f;
        const float speed = (side > 0.0f ? 1.0f : -1.0f) * random.Range(12.0f, 20.0f);
        // Each car drives the length of its road once, in and out of the city.
        const float start = random.Range(-420.0f, -100.0f) * (speed > 0.0f ? 1.0f : -1.0f);
        const float end = start + speed * frames / kFramesPerSecond;
        auto at = [=](float d) {
            return alongY ? Vec3{lane + side, d, 2.5f} : Vec3{d, lane + side, 2.5f};
        };
        AddMovingNode(scene, "G_Car", {{0, at(start)}, {frames, at(end)}});
    }

    // Searchlights sweeping the sky from the four corners of the city.
    MeshBuilder search("H_Search");
    AddBeam(search, {0, 0, 0}, {0, 0, 500}, 10.0f, "Search");
    scene.meshes.push_back(search.Build());
    for (int k = 0; k < 4; ++k) {
        const Vec3 base{k % 2 ? 190.0f : -190.0f, k / 2 ? 190.0f : -190.0f, 0.0f};
        const int node = AddMovingNode(scene, "H_Search", {{0, base}});
        const float phase = k * 1.3f;
        scene.nodes[node].rotation = SampleRotation(
            Normalized({1.0f, k % 2 ? 0.5f : -0.5f, 0.0f}),
            [=](float t) { return 0.5f * std::sin(t * 0.7f + phase); }, frames, 2);
    }

    // High over the city, down into the avenue at x = 5, along it past the pagoda, and up.
    const std::vector<std::pair<float, Vec3>> eye = {
        {0.0f, {-150, -330, 170}}, {5.0f, {-60, -330, 110}}, {9.0f, {5, -300, 40}},
        {12.0f, {5, -240, 16}},    {19.0f, {5, -80, 14}},    {26.0f, {5, 80, 14}},
        {30.0f, {5, 150, 60}},     {34.0f, {40, 240, 120}},  {40.3f, {200, 150, 160}},
    };
    const Vec3 centre{0, 0, 30};
    AddCameraPath(
        scene, [&eye](float t) { return ThroughWaypoints(eye, t); },
        [&eye, centre](float t) {
            const float follow = Ease((t - 5.0f) / 5.0f) * (1.0f - Ease((t - 23.0f) / 4.0f));
            return Lerp(centre, ThroughWaypoints(eye, t + 2.5f), follow);
        },
        60.0f, frames, 2);
    return scene;
}

}  // namespace assets
