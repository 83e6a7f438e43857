// assets_scene_writer_test.cpp: scenes written by the scene writer read back through lib3ds.
#include "tools/assets/scene_writer.h"

#include <gtest/gtest.h>
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <lib3ds/quat.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace sw = scene_writer;

namespace {

std::string TempPath(const char* name) {
    return std::string(::testing::TempDir()) + "/" + std::to_string(getpid()) + "_" + name;
}

// Writes scene and loads it back; the caller frees the file.
Lib3dsFile* RoundTrip(const sw::Scene& scene, const char* name) {
    const std::string path = TempPath(name);
    std::string error;
    EXPECT_EQ(1, sw::WriteScene(scene, path, &error)) << error;
    Lib3dsFile* file = lib3ds_file_load(path.c_str());
    std::remove(path.c_str());
    return file;
}

sw::Mesh Triangle(const std::string& name, const std::string& material) {
    sw::Mesh mesh;
    mesh.name = name;
    mesh.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.faces = {{0, 1, 2, material}};
    return mesh;
}

}  // namespace

TEST(SceneWriter, MaterialsMeshesCamerasAndLightsReadBack) {
    sw::Scene scene;
    sw::Material wall;
    wall.name = "Wall";
    wall.textureName = "wall.png";
    sw::Material glow;
    glow.name = "Glow";
    glow.transparency = 0.5f;
    scene.materials = {wall, glow};
    sw::Mesh mesh = Triangle("Tri", "Wall");
    mesh.texels = {{0, 0}, {1, 0}};  // fewer than points: written as given
    mesh.faces.push_back({2, 1, 0, ""});
    mesh.matrix = sw::TranslationMatrix({1, 2, 3});
    scene.meshes = {mesh};
    sw::Light b{"LightB", {1, 2, 3}};
    sw::Light a{"LightA", {4, 5, 6}};
    scene.lights = {b, a};
    sw::AddStillCamera(scene, "Camera01", {0, -10, 0}, {0, 0, 0}, 60.0f);

    Lib3dsFile* file = RoundTrip(scene, "basic.3ds");
    ASSERT_NE(nullptr, file);
    Lib3dsMaterial* readWall = lib3ds_file_material_by_name(file, "Wall");
    ASSERT_NE(nullptr, readWall);
    EXPECT_STREQ("wall.png", readWall->texture1_map.name);
    EXPECT_EQ(0.0f, readWall->transparency);
    Lib3dsMaterial* readGlow = lib3ds_file_material_by_name(file, "Glow");
    ASSERT_NE(nullptr, readGlow);
    EXPECT_STREQ("", readGlow->texture1_map.name);
    EXPECT_NEAR(0.5f, readGlow->transparency, 0.01f);

    Lib3dsMesh* readMesh = lib3ds_file_mesh_by_name(file, "Tri");
    ASSERT_NE(nullptr, readMesh);
    EXPECT_EQ(3u, readMesh->points);
    EXPECT_EQ(2u, readMesh->texels);
    ASSERT_EQ(2u, readMesh->faces);
    EXPECT_STREQ("Wall", readMesh->faceL[0].material);
    EXPECT_STREQ("", readMesh->faceL[1].material);
    EXPECT_EQ(2, readMesh->faceL[1].points[0]);
    EXPECT_FLOAT_EQ(1.0f, readMesh->pointL[1].pos[0]);
    EXPECT_FLOAT_EQ(3.0f, readMesh->matrix[3][2]);
    EXPECT_NEAR(1.0f, readMesh->faceL[0].normal[2], 1e-6f);  // counter-clockwise faces +Z

    ASSERT_NE(nullptr, file->cameras);
    EXPECT_STREQ("Camera01", file->cameras->name);
    EXPECT_FLOAT_EQ(60.0f, file->cameras->fov);
    ASSERT_NE(nullptr, file->lights);
    EXPECT_STREQ("LightA", file->lights->name);  // lib3ds keeps lights in name order
    EXPECT_FLOAT_EQ(4.0f, file->lights->position[0]);
    lib3ds_file_free(file);
}

TEST(SceneWriter, KeyframedNodesWithParentsAndPivotsEvaluate) {
    sw::Scene scene;
    scene.meshes = {Triangle("Body", ""), Triangle("Arm", "")};
    const int camera = sw::AddStillCamera(scene, "Camera01", {0, -10, 0}, {0, 0, 0}, 50.0f);
    scene.nodes[camera].position = {{100, {0, -20, 0}}};  // first key after frame 0
    sw::Node body;
    body.name = "Body";
    body.position = {{0, {0, 0, 0}}, {100, {10, 0, 0}}};
    body.rotation = {{0, {0, 0, 1}, 0.0f}, {100, {0, 0, 1}, 1.5707964f}};
    scene.nodes.push_back(body);
    sw::Node dummy;
    dummy.name = "$$$DUMMY";
    dummy.instance = "Holder";
    dummy.parent = static_cast<int>(scene.nodes.size()) - 1;
    dummy.position = {{0, {0, 5, 0}}};
    scene.nodes.push_back(dummy);
    sw::Node arm;
    arm.name = "Arm";
    arm.parent = static_cast<int>(scene.nodes.size()) - 1;
    arm.pivot = {1, 2, 3};
    arm.scale = {{0, {2, 2, 2}}};
    scene.nodes.push_back(arm);
    sw::Node spin;  // orientations are absolute, whatever the key before
    spin.name = "Spin";
    spin.rotation = {{0, {1, 0, 0}, 1.5707964f}, {100, {0, 0, 1}, 1.5707964f}};
    scene.nodes.push_back(spin);

    Lib3dsFile* file = RoundTrip(scene, "nodes.3ds");
    ASSERT_NE(nullptr, file);
    lib3ds_file_eval(file, 50.0f);

    Lib3dsNode* cameraNode = lib3ds_file_node_by_name(file, "Camera01", LIB3DS_CAMERA_NODE);
    ASSERT_NE(nullptr, cameraNode);
    EXPECT_FLOAT_EQ(50.0f, cameraNode->data.camera.fov);
    EXPECT_NEAR(-20.0f, cameraNode->data.camera.pos[1], 1e-4f);  // held from the copied key
    Lib3dsNode* target = lib3ds_file_node_by_name(file, "Camera01", LIB3DS_TARGET_NODE);
    ASSERT_NE(nullptr, target);

    Lib3dsNode* bodyNode = lib3ds_file_node_by_name(file, "Body", LIB3DS_OBJECT_NODE);
    ASSERT_NE(nullptr, bodyNode);
    EXPECT_NEAR(5.0f, bodyNode->matrix[3][0], 1e-3f);
    // Halfway to a quarter turn: the absolute orientation at frame 50 is an eighth turn.
    Lib3dsQuat expected;
    Lib3dsVector z = {0, 0, 1};
    lib3ds_quat_axis_angle(expected, z, 0.7853982f);
    Lib3dsMatrix rotation;
    lib3ds_matrix_identity(rotation);
    lib3ds_matrix_rotate(rotation, expected);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            EXPECT_NEAR(rotation[c][r], bodyNode->matrix[c][r], 1e-3f) << c << "," << r;

    Lib3dsNode* dummyNode = bodyNode->childs;
    ASSERT_NE(nullptr, dummyNode);
    EXPECT_STREQ("$$$DUMMY", dummyNode->name);
    EXPECT_STREQ("Holder", dummyNode->data.object.instance);
    Lib3dsNode* armNode = dummyNode->childs;
    ASSERT_NE(nullptr, armNode);
    EXPECT_STREQ("Arm", armNode->name);
    EXPECT_FLOAT_EQ(2.0f, armNode->data.object.pivot[1]);
    EXPECT_NEAR(2.0f, armNode->data.object.scl[0], 1e-5f);

    lib3ds_file_eval(file, 100.0f);
    Lib3dsNode* spinNode = lib3ds_file_node_by_name(file, "Spin", LIB3DS_OBJECT_NODE);
    ASSERT_NE(nullptr, spinNode);
    Lib3dsMatrix quarterTurn;
    lib3ds_matrix_identity(quarterTurn);
    lib3ds_matrix_rotate_axis(quarterTurn, z, 1.5707964f);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            EXPECT_NEAR(quarterTurn[c][r], spinNode->matrix[c][r], 1e-3f) << c << "," << r;
    lib3ds_file_free(file);
}

TEST(SceneWriter, RefusesDescriptionsLib3dsCannotHold) {
    sw::Scene longName;
    longName.meshes = {Triangle(std::string(64, 'x'), "")};
    sw::Scene forwardParent;
    sw::AddObjectNode(forwardParent, "A", {0, 0, 0}, 1);
    sw::AddObjectNode(forwardParent, "B");
    for (const sw::Scene* scene : {&longName, &forwardParent}) {
        std::string error;
        EXPECT_EQ(0, sw::WriteScene(*scene, TempPath("refused.3ds"), &error));
        EXPECT_FALSE(error.empty());
    }
}
