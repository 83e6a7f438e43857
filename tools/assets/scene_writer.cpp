// scene_writer.cpp: turns a scene description into a Lib3dsFile and saves it with lib3ds.
#include "tools/assets/scene_writer.h"

#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <lib3ds/quat.h>
#include <lib3ds/tracks.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace scene_writer {
namespace {

const std::size_t kMaxNameLength = 63;  // lib3ds keeps names in char[64]

struct FileDeleter {
    void operator()(Lib3dsFile* file) const { lib3ds_file_free(file); }
};
using FilePtr = std::unique_ptr<Lib3dsFile, FileDeleter>;

void CopyName(char* destination, const std::string& name) {
    std::memcpy(destination, name.c_str(), name.size() + 1);
}

bool Fail(std::string* error, const std::string& reason) {
    if (error) *error = reason;
    return false;
}

bool CheckName(const std::string& name, const char* what, std::string* error) {
    if (name.size() > kMaxNameLength)
        return Fail(error, std::string(what) + " name longer than 63 characters: " + name);
    return true;
}

void SetVector(Lib3dsVector destination, Vec3 value) {
    destination[0] = value.x;
    destination[1] = value.y;
    destination[2] = value.z;
}

void SetRgb(Lib3dsRgba destination, Rgb value) {
    destination[0] = value.r;
    destination[1] = value.g;
    destination[2] = value.b;
    destination[3] = 1.0f;
}

// lib3ds reads a track before its first key as holding its last key's value, so every track
// starts at frame 0; a missing frame-0 key repeats the first key.
template <typename Key>
std::vector<Key> WithFrameZero(std::vector<Key> keys, const Key& fallback) {
    if (keys.empty()) return {fallback};
    if (keys.front().frame > 0) {
        Key first = keys.front();
        first.frame = 0;
        keys.insert(keys.begin(), first);
    }
    return keys;
}

void FillVectorTrack(Lib3dsLin3Track* track, const std::vector<VectorKey>& keys) {
    for (const VectorKey& key : keys) {
        Lib3dsLin3Key* k = lib3ds_lin3_key_new();
        k->tcb.frame = key.frame;
        SetVector(k->value, key.value);
        lib3ds_lin3_track_insert(track, k);
    }
    lib3ds_lin3_track_setup(track);
}

void FillScalarTrack(Lib3dsLin1Track* track, const std::vector<ScalarKey>& keys) {
    for (const ScalarKey& key : keys) {
        Lib3dsLin1Key* k = lib3ds_lin1_key_new();
        k->tcb.frame = key.frame;
        k->value = key.value;
        lib3ds_lin1_track_insert(track, k);
    }
    lib3ds_lin1_track_setup(track);
}

// The format stores each rotation key as the step from the previous key's orientation
// (lib3ds composes key k as step(k) * orientation(k-1)). The caller gives absolute
// orientations, so each step is orientation(k) * inverse(orientation(k-1)), written back as
// an axis and an angle in lib3ds's own sense.
void FillRotationTrack(Lib3dsQuatTrack* track, std::vector<RotationKey> keys) {
    Lib3dsQuat previous;
    lib3ds_quat_identity(previous);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        Lib3dsQuat absolute;
        Lib3dsVector axis;
        SetVector(axis, keys[i].axis);
        lib3ds_quat_axis_angle(absolute, axis, keys[i].angle);
        Lib3dsQuat step;
        if (i == 0) {
            lib3ds_quat_copy(step, absolute);
        } else {
            Lib3dsQuat inverse;
            lib3ds_quat_copy(inverse, previous);
            lib3ds_quat_inv(inverse);
            lib3ds_quat_mul(step, absolute, inverse);
        }
        lib3ds_quat_copy(previous, absolute);
        if (step[3] < 0.0f) lib3ds_quat_neg(step);  // the shorter way round

        // lib3ds_quat_axis_angle(axis, angle) = (sin(-angle/2) * axis, cos(-angle/2)).
        const float s = std::sqrt(step[0] * step[0] + step[1] * step[1] + step[2] * step[2]);
        Lib3dsQuatKey* k = lib3ds_quat_key_new();
        k->tcb.frame = keys[i].frame;
        if (s < 1e-7f) {
            k->axis[0] = 0.0f;
            k->axis[1] = 0.0f;
            k->axis[2] = 1.0f;
            k->angle = 0.0f;
        } else {
            k->axis[0] = -step[0] / s;
            k->axis[1] = -step[1] / s;
            k->axis[2] = -step[2] / s;
            k->angle = 2.0f * std::atan2(s, step[3]);
        }
        lib3ds_quat_track_insert(track, k);
    }
    lib3ds_quat_track_setup(track);
}

bool AddMaterial(Lib3dsFile* file, const Material& source, std::string* error) {
    if (!CheckName(source.name, "material", error) ||
        !CheckName(source.textureName, "texture", error))
        return false;
    Lib3dsMaterial* material = lib3ds_material_new();
    CopyName(material->name, source.name);
    CopyName(material->texture1_map.name, source.textureName);
    if (!source.textureName.empty()) material->texture1_map.percent = 1.0f;
    material->transparency = source.transparency;
    SetRgb(material->ambient, source.ambient);
    SetRgb(material->diffuse, source.diffuse);
    SetRgb(material->specular, source.specular);
    lib3ds_file_insert_material(file, material);
    return true;
}

bool AddMesh(Lib3dsFile* file, const Mesh& source, std::string* error) {
    if (!CheckName(source.name, "mesh", error)) return false;
    if (source.points.size() > 65535 || source.texels.size() > 65535 || source.faces.size() > 65535)
        return Fail(error, "mesh " + source.name + " has more than 65535 points, texels or faces");
    Lib3dsMesh* mesh = lib3ds_mesh_new(source.name.c_str());
    lib3ds_file_insert_mesh(file, mesh);  // owned by the file from here on
    std::memcpy(mesh->matrix, source.matrix.m, sizeof(mesh->matrix));
    if (!source.points.empty()) {
        lib3ds_mesh_new_point_list(mesh, source.points.size());
        for (std::size_t i = 0; i < source.points.size(); ++i)
            SetVector(mesh->pointL[i].pos, source.points[i]);
    }
    if (!source.texels.empty()) {
        lib3ds_mesh_new_texel_list(mesh, source.texels.size());
        for (std::size_t i = 0; i < source.texels.size(); ++i) {
            mesh->texelL[i][0] = source.texels[i].u;
            mesh->texelL[i][1] = source.texels[i].v;
        }
    }
    if (!source.faces.empty()) {
        lib3ds_mesh_new_face_list(mesh, source.faces.size());
        for (std::size_t i = 0; i < source.faces.size(); ++i) {
            const Face& face = source.faces[i];
            if (!CheckName(face.material, "face material", error)) return false;
            mesh->faceL[i].points[0] = face.a;
            mesh->faceL[i].points[1] = face.b;
            mesh->faceL[i].points[2] = face.c;
            mesh->faceL[i].flags =
                LIB3DS_FACE_FLAG_VIS_AC | LIB3DS_FACE_FLAG_VIS_BC | LIB3DS_FACE_FLAG_VIS_AB;
            CopyName(mesh->faceL[i].material, face.material);
        }
    }
    return true;
}

bool AddCamera(Lib3dsFile* file, const Camera& source, std::string* error) {
    if (!CheckName(source.name, "camera", error)) return false;
    Lib3dsCamera* camera = lib3ds_camera_new(source.name.c_str());
    SetVector(camera->position, source.position);
    SetVector(camera->target, source.target);
    camera->roll = source.roll;
    camera->fov = source.fov;
    camera->near_range = 0.1f;
    camera->far_range = 20000.0f;
    lib3ds_file_insert_camera(file, camera);
    return true;
}

bool AddLight(Lib3dsFile* file, const Light& source, std::string* error) {
    if (!CheckName(source.name, "light", error)) return false;
    Lib3dsLight* light = lib3ds_light_new(source.name.c_str());
    SetVector(light->position, source.position);
    light->color[0] = source.color.r;
    light->color[1] = source.color.g;
    light->color[2] = source.color.b;
    light->multiplier = 1.0f;
    lib3ds_file_insert_light(file, light);
    return true;
}

const Camera* FindCamera(const Scene& scene, const std::string& name) {
    for (const Camera& camera : scene.cameras)
        if (camera.name == name) return &camera;
    return nullptr;
}

Lib3dsNode* MakeObjectNode(const Node& source) {
    Lib3dsNode* node = lib3ds_node_new_object();
    Lib3dsObjectData& object = node->data.object;
    SetVector(object.pivot, source.pivot);
    CopyName(object.instance, source.instance);
    FillVectorTrack(&object.pos_track, WithFrameZero(source.position, VectorKey{0, {0, 0, 0}}));
    FillRotationTrack(&object.rot_track,
                      WithFrameZero(source.rotation, RotationKey{0, {0, 0, 1}, 0.0f}));
    FillVectorTrack(&object.scl_track, WithFrameZero(source.scale, VectorKey{0, {1, 1, 1}}));
    return node;
}

Lib3dsNode* MakeCameraNode(const Node& source, const Camera& camera) {
    Lib3dsNode* node = lib3ds_node_new_camera();
    Lib3dsCameraData& data = node->data.camera;
    FillVectorTrack(&data.pos_track, WithFrameZero(source.position, VectorKey{0, camera.position}));
    FillScalarTrack(&data.fov_track, WithFrameZero(source.fov, ScalarKey{0, camera.fov}));
    FillScalarTrack(&data.roll_track, WithFrameZero(source.roll, ScalarKey{0, camera.roll}));
    return node;
}

Lib3dsNode* MakeTargetNode(const Node& source, const Camera& camera) {
    Lib3dsNode* node = lib3ds_node_new_target();
    FillVectorTrack(&node->data.target.pos_track,
                    WithFrameZero(source.position, VectorKey{0, camera.target}));
    return node;
}

bool AddNode(Lib3dsFile* file, const Scene& scene, std::size_t index, std::string* error) {
    const Node& source = scene.nodes[index];
    if (!CheckName(source.name, "node", error) || !CheckName(source.instance, "instance", error))
        return false;
    if (source.parent >= static_cast<int>(index))
        return Fail(error, "node " + source.name + " names a parent that does not come before it");

    Lib3dsNode* node = nullptr;
    if (source.type == NodeType::Object) {
        node = MakeObjectNode(source);
    } else {
        const Camera* camera = FindCamera(scene, source.name);
        const Camera fallback;
        if (!camera) camera = &fallback;  // a camera node without its camera: default values
        node = source.type == NodeType::Camera ? MakeCameraNode(source, *camera)
                                               : MakeTargetNode(source, *camera);
    }
    CopyName(node->name, source.name);
    // Unique ids and a valid parent id: lib3ds links nodes by them and recurses forever on
    // duplicates.
    node->node_id = static_cast<Lib3dsWord>(index);
    node->parent_id = source.parent < 0 ? LIB3DS_NO_PARENT : static_cast<Lib3dsWord>(source.parent);
    lib3ds_file_insert_node(file, node);
    return true;
}

bool BuildFile(Lib3dsFile* file, const Scene& scene, std::string* error) {
    if (scene.nodes.size() >= LIB3DS_NO_PARENT) return Fail(error, "too many nodes");
    file->frames = scene.frames;
    file->segment_from = 0;
    file->segment_to = scene.frames;
    for (const Material& material : scene.materials)
        if (!AddMaterial(file, material, error)) return false;
    for (const Mesh& mesh : scene.meshes)
        if (!AddMesh(file, mesh, error)) return false;
    for (const Camera& camera : scene.cameras)
        if (!AddCamera(file, camera, error)) return false;
    for (const Light& light : scene.lights)
        if (!AddLight(file, light, error)) return false;
    for (std::size_t i = 0; i < scene.nodes.size(); ++i)
        if (!AddNode(file, scene, i, error)) return false;
    return true;
}

}  // namespace

Matrix IdentityMatrix() {
    Matrix matrix = {};
    for (int i = 0; i < 4; ++i) matrix.m[i][i] = 1.0f;
    return matrix;
}

Matrix TranslationMatrix(Vec3 offset) {
    Matrix matrix = IdentityMatrix();
    matrix.m[3][0] = offset.x;
    matrix.m[3][1] = offset.y;
    matrix.m[3][2] = offset.z;
    return matrix;
}

int AddStillCamera(Scene& scene, const std::string& name, Vec3 position, Vec3 target, float fov) {
    Camera camera;
    camera.name = name;
    camera.position = position;
    camera.target = target;
    camera.fov = fov;
    scene.cameras.push_back(camera);
    Node cameraNode;
    cameraNode.type = NodeType::Camera;
    cameraNode.name = name;
    Node targetNode = cameraNode;
    targetNode.type = NodeType::Target;
    scene.nodes.push_back(cameraNode);
    scene.nodes.push_back(targetNode);
    return static_cast<int>(scene.nodes.size()) - 2;
}

int AddObjectNode(Scene& scene, const std::string& meshName, Vec3 position, int parent) {
    Node node;
    node.name = meshName;
    node.parent = parent;
    node.position.push_back({0, position});
    scene.nodes.push_back(node);
    return static_cast<int>(scene.nodes.size()) - 1;
}

int WriteScene(const Scene& scene, const std::string& path, std::string* error) {
    FilePtr file(lib3ds_file_new());
    if (!file) return Fail(error, "out of memory");
    if (!BuildFile(file.get(), scene, error)) return 0;
    if (!lib3ds_file_save(file.get(), path.c_str())) return Fail(error, "cannot write " + path);
    return 1;
}

}  // namespace scene_writer
