// assets_data_test.cpp: the data folder kelvo-assets writes: complete, well-formed, repeatable.
#include <gtest/gtest.h>
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/win_main.h"
#include "support/generated_data.h"
#include "support/test_files.h"
#include "tools/assets/pictures.h"
#include "tools/assets/scenes.h"

namespace {

bool IsPicture(const std::string& name) { return name.rfind("chinois", 0) == 0; }
bool EndsWith(const std::string& s, const char* tail) {
    const std::string t = tail;
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

int LastKeyFrame(Lib3dsLin3Key* key) {
    int last = -1;
    for (; key; key = key->next) last = key->tcb.frame;
    return last;
}

int FirstKeyFrame(Lib3dsLin3Key* key) { return key ? key->tcb.frame : -1; }

// Triangles drawn per frame: every object node draws its mesh, so shared meshes count once
// per node.
unsigned DrawnTriangles(Lib3dsFile* file, Lib3dsNode* node) {
    unsigned total = 0;
    for (; node; node = node->next) {
        total += DrawnTriangles(file, node->childs);
        if (node->type != LIB3DS_OBJECT_NODE) continue;
        if (Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file, node->name)) total += mesh->faces;
    }
    return total;
}

// True when each material's faces form one run in the mesh's face list. The renderer records
// the material state before every face and the driver merges only consecutive faces that share
// it, so a mesh that alternates materials costs several times more to draw.
bool FacesGroupedByMaterial(const Lib3dsMesh* mesh) {
    std::set<std::string> finished;
    std::string current;
    for (Lib3dsDword i = 0; i < mesh->faces; ++i) {
        const std::string material = mesh->faceL[i].material;
        if (i > 0 && material == current) continue;
        if (finished.count(material)) return false;
        if (i > 0) finished.insert(current);
        current = material;
    }
    return true;
}

struct PngHeader {
    unsigned width = 0, height = 0;
    int bitDepth = -1, colourType = -1, interlace = -1;
};

// The IHDR fields, read straight from the bytes: they follow the 8-byte signature and the
// chunk's length and type.
bool ReadPngHeader(const std::string& file, PngHeader* header) {
    if (file.size() < 33 || file.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return false;
    if (file.compare(12, 4, "IHDR") != 0) return false;
    auto byte = [&file](size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(file[at]));
    };
    auto u32 = [&byte](size_t at) {
        return (byte(at) << 24) | (byte(at + 1) << 16) | (byte(at + 2) << 8) | byte(at + 3);
    };
    header->width = u32(16);
    header->height = u32(20);
    header->bitDepth = byte(24);
    header->colourType = byte(25);
    header->interlace = byte(28);
    return true;
}

bool PowerOfTwo(unsigned v) { return v && !(v & (v - 1)); }

class GeneratedData : public ::testing::Test {
protected:
    void SetUp() override {
        folder = GeneratedDataFolder();
        ASSERT_FALSE(folder.empty()) << "kelvo-assets failed";
    }
    std::string folder;
};

}  // namespace

TEST_F(GeneratedData, HoldsEveryFileTheShowReads) {
    const std::vector<std::string> names = FileNames(folder);
    std::vector<std::string> expected = {kSoundtrackName};
    for (const assets::ShowScene& scene : assets::ShowScenes()) expected.push_back(scene.fileName);
    for (int n = 1; n <= kPictureCount; ++n) expected.push_back(assets::PictureFileName(n));
    for (const std::string& name : expected) {
        EXPECT_TRUE(std::binary_search(names.begin(), names.end(), name)) << name;
    }
}

TEST_F(GeneratedData, TwoRunsWriteTheSameBytes) {
    const TempFolder scratch;
    const std::string parent = scratch.path();
    ASSERT_EQ(1, RunAssetGenerator(parent));
    const std::string again = parent + "/data";
    const std::vector<std::string> names = FileNames(folder);
    EXPECT_EQ(names, FileNames(again));
    for (const std::string& name : names) {
        EXPECT_TRUE(ReadBytes(folder + "/" + name) == ReadBytes(again + "/" + name)) << name;
    }
}

TEST_F(GeneratedData, PngFilesAreEightBitRgbWithPowerOfTwoSides) {
    int pngs = 0;
    for (const std::string& name : FileNames(folder)) {
        if (!EndsWith(name, ".png")) continue;
        ++pngs;
        PngHeader header;
        ASSERT_TRUE(ReadPngHeader(ReadBytes(folder + "/" + name), &header)) << name;
        EXPECT_EQ(8, header.bitDepth) << name;
        EXPECT_EQ(2, header.colourType) << name << ": truecolour without alpha";
        EXPECT_EQ(0, header.interlace) << name;
        EXPECT_TRUE(PowerOfTwo(header.width) && PowerOfTwo(header.height)) << name;
        if (IsPicture(name)) {
            EXPECT_EQ(header.width, header.height) << name;
            EXPECT_TRUE(header.width == 256 || header.width == 512) << name;
        } else {
            EXPECT_GE(std::min(header.width, header.height), 64u) << name;
            EXPECT_LE(std::max(header.width, header.height), 512u) << name;
        }
    }
    EXPECT_GT(pngs, 24);
}

TEST_F(GeneratedData, MaterialTexturesExistAndEveryTextureIsUsed) {
    std::set<std::string> named;
    for (const assets::ShowScene& scene : assets::ShowScenes()) {
        Lib3dsFile* file = lib3ds_file_load((folder + "/" + scene.fileName).c_str());
        ASSERT_NE(nullptr, file) << scene.fileName;
        for (Lib3dsMaterial* m = file->materials; m; m = m->next) {
            const std::string texture = m->texture1_map.name;
            EXPECT_FALSE(texture.empty()) << scene.fileName << ": material " << m->name;
            if (texture.empty()) continue;
            named.insert(texture);
            EXPECT_FALSE(ReadBytes(folder + "/" + texture).empty())
                << scene.fileName << " names " << texture;
        }
        lib3ds_file_free(file);
    }
    for (const std::string& name : FileNames(folder)) {
        if (EndsWith(name, ".png") && !IsPicture(name)) {
            EXPECT_EQ(1u, named.count(name)) << name << " is never used";
        }
    }
}

// What the renderer relies on: the camera and its target node named "Camera01" keyed from
// frame 0 to the end of the time the scene plays (milliseconds x 0.01), one to seven lights,
// and meshes the software renderer draws quickly.
TEST_F(GeneratedData, ScenesAreKeyedForTheirWholeSpan) {
    int withGlow = 0;
    for (const assets::ShowScene& scene : assets::ShowScenes()) {
        SCOPED_TRACE(scene.fileName);
        Lib3dsFile* file = lib3ds_file_load((folder + "/" + scene.fileName).c_str());
        ASSERT_NE(nullptr, file);
        ASSERT_NE(nullptr, file->cameras);
        EXPECT_STREQ("Camera01", file->cameras->name);
        Lib3dsNode* camera = lib3ds_file_node_by_name(file, "Camera01", LIB3DS_CAMERA_NODE);
        Lib3dsNode* target = lib3ds_file_node_by_name(file, "Camera01", LIB3DS_TARGET_NODE);
        ASSERT_NE(nullptr, camera);
        ASSERT_NE(nullptr, target);
        const int lastFrame = (scene.playsMs + 99) / 100;
        EXPECT_EQ(0, FirstKeyFrame(camera->data.camera.pos_track.keyL));
        EXPECT_EQ(0, FirstKeyFrame(target->data.target.pos_track.keyL));
        ASSERT_NE(nullptr, camera->data.camera.fov_track.keyL);
        EXPECT_EQ(0, camera->data.camera.fov_track.keyL->tcb.frame);
        EXPECT_GE(LastKeyFrame(camera->data.camera.pos_track.keyL), lastFrame);
        EXPECT_GE(LastKeyFrame(target->data.target.pos_track.keyL), lastFrame);

        int lights = 0;
        for (Lib3dsLight* light = file->lights; light; light = light->next) ++lights;
        EXPECT_GE(lights, 1);
        EXPECT_LE(lights, 7);

        for (Lib3dsMesh* mesh = file->meshes; mesh; mesh = mesh->next)
            EXPECT_TRUE(FacesGroupedByMaterial(mesh)) << mesh->name;
        const unsigned triangles = DrawnTriangles(file, file->nodes);
        EXPECT_GE(triangles, 24u);
        EXPECT_LE(triangles, 2000u);  // about 2 ms of the 8 ms frame budget under llvmpipe
        bool glow = false;
        for (Lib3dsMaterial* m = file->materials; m; m = m->next)
            glow = glow || m->transparency != 0.0f;
        withGlow += glow ? 1 : 0;
        lib3ds_file_free(file);
    }
    EXPECT_GE(withGlow, 10);
}
