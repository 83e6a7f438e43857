// scenes_void.cpp: the void ("vide.3ds") and the doubled world ("doble.3ds").
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tools/assets/random.h"
#include "tools/assets/scenes_local.h"

namespace assets {

namespace sw = scene_writer;

namespace {

// An icosahedron of radius r, each face textured with the whole wire square.
void Icosahedron(MeshBuilder& builder, float r, const std::string& material) {
    const float g = 1.6180340f;
    std::vector<Vec3> v = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0},
                           {0, -1, g}, {0, 1, g}, {0, -1, -g}, {0, 1, -g},
                           {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
    for (Vec3& p : v) p = Mul(Normalized(p), r);
    const int faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                              {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                              {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                              {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (const auto& f : faces) {
        builder.Triangle(v[f[0]], v[f[1]], v[f[2]], {0, 0}, {1, 0}, {0.5f, 1}, material);
    }
}

// The same mesh upside down (z negated), its faces turned so they still face outwards.
// The mesh mirrored in the plane z = 0, every face in `material`. Faces looking up become
// faces looking down, which a camera above the mirror never sees, so they are left out.
sw::Mesh Mirrored(const sw::Mesh& mesh, const std::string& name, const std::string& material) {
    sw::Mesh copy = mesh;
    copy.name = name;
    copy.faces.clear();
    for (sw::Face f : mesh.faces) {
        const Vec3 normal =
            Cross(Sub(mesh.points[f.b], mesh.points[f.a]), Sub(mesh.points[f.c], mesh.points[f.a]));
        if (normal.z > 0.5f * Length(normal)) continue;
        std::swap(f.b, f.c);
        f.material = material;
        copy.faces.push_back(f);
    }
    for (Vec3& p : copy.points) p.z = -p.z;
    return copy;
}

}  // namespace

sw::Scene BuildVoid(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Wire", "wire.png", true);
    AddMaterial(scene, "WireGold", "wireo.png", true);
    AddMaterial(scene, "Dust", "glowb.png", true);
    AddMaterial(scene, "Halo", "ringb.png", true);
    AddMaterial(scene, "Gold", "gold.png");
    AddStandardLights(scene);

    scene.meshes.push_back(FacingQuad("A_Halo", 90.0f, 90.0f, "Halo"));
    const int halo = AddMovingNode(scene, "A_Halo", {{0, {0, 30, 0}}});
    scene.nodes[halo].scale = SampleVector(
        [](float t) {
            const float s = 0.8f + 0.15f * BeatPulse(t / 4.0f, 2.0f) + 0.2f * Ease(t / 13.0f);
            return Vec3{s, s, s};
        },
        frames, 1);

    // Three shells turning inside one another, each on its own axis, around a gold core.
    MeshBuilder outer("B_Shell");
    Icosahedron(outer, 22.0f, "Wire");
    scene.meshes.push_back(outer.Build());
    MeshBuilder middle("C_Shell");
    middle.Box({-9, -9, -9}, {9, 9, 9}, "WireGold");
    scene.meshes.push_back(middle.Build());
    MeshBuilder inner("D_Shell");
    Icosahedron(inner, 6.0f, "Wire");
    scene.meshes.push_back(inner.Build());
    MeshBuilder core("E_Core");
    core.Box({-2.2f, -2.2f, -2.2f}, {2.2f, 2.2f, 2.2f}, "Gold");
    scene.meshes.push_back(core.Build());

    sw::Node shell;
    shell.name = "B_Shell";
    shell.rotation = Spin(Normalized({0.3f, 0.2f, 1.0f}), 0.05f, frames);
    shell.scale = SampleVector(
        [](float t) {
            const float s = 1.0f + 0.06f * BeatPulse(t, 4.0f);
            return Vec3{s, s, s};
        },
        frames, 1);
    scene.nodes.push_back(shell);
    const int outerIndex = static_cast<int>(scene.nodes.size()) - 1;
    sw::Node cube;
    cube.name = "C_Shell";
    cube.parent = outerIndex;
    cube.rotation = Spin(Normalized({1, 1, 0}), -0.11f, frames);
    scene.nodes.push_back(cube);
    const int cubeIndex = static_cast<int>(scene.nodes.size()) - 1;
    sw::Node ico;
    ico.name = "D_Shell";
    ico.parent = cubeIndex;
    ico.rotation = Spin(Normalized({0, 1, 1}), 0.2f, frames);
    scene.nodes.push_back(ico);
    sw::Node gold;
    gold.name = "E_Core";
    gold.parent = static_cast<int>(scene.nodes.size()) - 1;
    gold.rotation = Spin(Normalized({1, 0, 1}), -0.35f, frames);
    scene.nodes.push_back(gold);

    // Dust drifting through the dark.
    scene.meshes.push_back(CrossSprite("F_Dust", 1.4f, "Dust"));
    Random random(8);
    for (int i = 0; i < 60; ++i) {
        const Vec3 p{random.Range(-90.0f, 90.0f), random.Range(-90.0f, 90.0f),
                     random.Range(-50.0f, 50.0f)};
        if (Length(p) < 30.0f) continue;
        const Vec3 drift{random.Range(-1.5f, 1.5f), random.Range(-1.5f, 1.5f),
                         random.Range(0.5f, 2.0f)};
        AddMovingNode(scene, "F_Dust",
                      SampleVector([=](float t) { return Add(p, Mul(drift, t)); }, frames, frames));
    }

    // A slow half-orbit, drawing in.
    AddCameraPath(
        scene,
        [](float t) {
            const float a = -0.5f + 1.4f * t / 13.4f;
            const float r = 75.0f - 20.0f * Ease(t / 13.4f);
            return Vec3{r * std::sin(a), -r * std::cos(a), 18.0f * std::cos(t * 0.3f)};
        },
        [](float) {
            return Vec3{0, 0, 0};
        },
        50.0f, frames, 20, [](float t) { return 15.0f * std::sin(t * 0.25f); });
    return scene;
}

sw::Scene BuildDouble(int frames) {
    sw::Scene scene;
    AddMaterial(scene, "Jade", "marble.png");
    AddMaterial(scene, "Gold", "gold.png");
    AddMaterial(scene, "Lacquer", "lacquer.png");
    AddMaterial(scene, "Water", "water.png", true);
    AddMaterial(scene, "Reflection", "marbled.png", true);
    AddMaterial(scene, "Lantern", "glow.png", true);
    AddMaterial(scene, "Sky", "stars.png", true);
    AddStandardLights(scene);

    // The sky ends at the water, and the water reaches the sky: below the horizon only the
    // reflections glow through it, and no pixel is filled twice for stars no one sees.
    MeshBuilder sky("A_Sky");
    sky.Box({-1000, -1000, 0}, {1000, 1500, 500}, "Sky", 0.0f, false);
    scene.meshes.push_back(sky.Build());
    AddMovingNode(scene, "A_Sky", {{0, {0, 0, 0}}});
    scene.meshes.push_back(GroundQuad("B_Water", 2000.0f, 2500.0f, "Water", 20.0f));
    AddMovingNode(scene, "B_Water", {{0, {0, 250, 0}}, {frames, {0, 250 + frames * 0.04f, 0}}});

    // A colonnade on both sides of the way, a gate at its end; the world below is its mirror,
    // drawn as a glow through the water.
    MeshBuilder colonnade("C_Colonnade");
    for (int k = 0; k < 11; ++k) {
        const float y = -60.0f + 36.0f * k;
        for (int side = -1; side <= 1; side += 2) {
            const float x = side * 18.0f;
            colonnade.Box({x - 2.5f, y - 2.5f, 0.0f}, {x + 2.5f, y + 2.5f, 28.0f}, "Jade", 0.0f,
                          false);
            colonnade.Box({x - 4.0f, y - 4.0f, 28.0f}, {x + 4.0f, y + 4.0f, 31.0f}, "Gold");
        }
        colonnade.Box({-22.0f, y - 1.5f, 31.0f}, {22.0f, y + 1.5f, 34.0f}, "Lacquer");
    }
    // The gate.
    colonnade.Box({-40, 370, 0}, {-30, 380, 60}, "Lacquer", 10.0f, false);
    colonnade.Box({30, 370, 0}, {40, 380, 60}, "Lacquer", 10.0f, false);
    colonnade.Box({-55, 366, 60}, {55, 384, 68}, "Gold");
    colonnade.Box({-45, 368, 48}, {45, 382, 53}, "Lacquer");
    const sw::Mesh above = colonnade.Build();
    scene.meshes.push_back(above);
    scene.meshes.push_back(Mirrored(above, "A_Below", "Reflection"));
    AddMovingNode(scene, "C_Colonnade", {{0, {0, 0, 0}}});
    AddMovingNode(scene, "A_Below", {{0, {0, 0, 0}}});

    // Lanterns bobbing above the water, and their doubles below.
    scene.meshes.push_back(CrossSprite("D_Lantern", 5.0f, "Lantern"));
    Random random(9);
    for (int i = 0; i < 24; ++i) {
        const Vec3 p{random.Range(-60.0f, 60.0f), random.Range(-40.0f, 380.0f),
                     random.Range(8.0f, 24.0f)};
        if (std::fabs(p.x) < 8.0f) continue;
        const float phase = random.Range(0.0f, 6.28f);
        for (int mirror = 1; mirror >= -1; mirror -= 2) {
            AddMovingNode(
                scene, "D_Lantern",
                SampleVector(
                    [=](float t) {
                        return Vec3{p.x, p.y, mirror * (p.z + 2.0f * std::sin(t * 1.2f + phase))};
                    },
                    frames, 2));
        }
    }

    // Down the middle of the colonnade just above the water, then up to see both worlds.
    const std::vector<std::pair<float, Vec3>> eye = {
        {0.0f, {0, -120, 6}},  {6.0f, {0, 10, 5}},      {12.0f, {0, 150, 8}},
        {16.0f, {0, 230, 45}}, {20.3f, {-20, 280, 70}},
    };
    AddCameraPath(
        scene, [&eye](float t) { return ThroughWaypoints(eye, t); },
        [](float t) {
            return Vec3{0.0f, 200.0f + 10.0f * t, 10.0f - Ease((t - 12.0f) / 6.0f) * 10.0f};
        },
        60.0f, frames, 1);
    return scene;
}

}  // namespace assets
