// scene_writer.h: describing a 3DS scene in plain C++ and writing it with lib3ds's own writer.
//
// Used by the asset generator (the show's scenes) and by the tests (fixtures made in code).
// The description is plain data; WriteScene turns it into a Lib3dsFile, saves it and frees it.
// The lib3ds pitfalls are handled here so that callers need not know them: every node gets a
// unique id and a valid parent id, and every keyframe track gets a key at frame 0.
//
// Units: keyframe frames (the show evaluates a scene at its milliseconds x 0.01, so ten frames
// a second), angles in radians except camera fields of view, which lib3ds keeps in degrees.
// Rolls are stored as given; the show's camera matrix reads them as radians.
#pragma once

#include <string>
#include <vector>

namespace scene_writer {

struct Vec3 {
    float x, y, z;
};

struct Rgb {
    float r, g, b;
};

struct Texel {
    float u, v;
};

// A 4x4 matrix in lib3ds's layout: m[column][row], the layout glMultMatrixf takes.
struct Matrix {
    float m[4][4];
};
Matrix IdentityMatrix();
Matrix TranslationMatrix(Vec3 offset);

struct Material {
    std::string name;           // at most 63 characters
    std::string textureName;    // first texture map's file name ("wall.png"); empty: none
    float transparency = 0.0f;  // 0 opaque; stored in whole percent, so use >= 0.01
    Rgb ambient = {0.2f, 0.2f, 0.2f};
    Rgb diffuse = {0.8f, 0.8f, 0.8f};
    Rgb specular = {0.0f, 0.0f, 0.0f};
};

struct Face {
    unsigned short a, b, c;  // indices into Mesh::points, counter-clockwise seen from the front
    std::string material;    // material name; empty: none
};

struct Mesh {
    std::string name;           // at most 63 characters; object nodes refer to it
    std::vector<Vec3> points;   // stored positions: world coordinates at modelling time
    std::vector<Texel> texels;  // empty: no texture coordinates; normally one per point
    std::vector<Face> faces;
    Matrix matrix =
        IdentityMatrix();  // modelling matrix (object to world) the points were made with
};

struct Camera {
    std::string name;
    Vec3 position = {0.0f, 0.0f, 0.0f};
    Vec3 target = {0.0f, 1.0f, 0.0f};
    float roll = 0.0f;  // radians
    float fov = 45.0f;  // degrees
};

struct Light {
    std::string name;
    Vec3 position = {0.0f, 0.0f, 0.0f};
    Rgb color = {1.0f, 1.0f, 1.0f};
};

struct VectorKey {
    int frame;
    Vec3 value;
};

struct ScalarKey {
    int frame;
    float value;
};

// An absolute orientation at a frame: a rotation by angle (radians) about axis, in the sense
// lib3ds's lib3ds_quat_axis_angle gives it. The writer stores the relative steps the format wants.
struct RotationKey {
    int frame;
    Vec3 axis;
    float angle;
};

enum class NodeType { Object, Camera, Target };

// One keyframer node. Tracks left empty get one frame-0 key with the default value (object:
// position 0, no rotation, scale 1; camera: the Camera of the same name's position, fov and
// roll; target: that camera's target). A track whose first key is after frame 0 gets a copy
// of that key at frame 0, since lib3ds reads a track before its first key as its last key.
struct Node {
    NodeType type = NodeType::Object;
    std::string name;      // object: its mesh's name or "$$$DUMMY"; camera and target: the camera's
    std::string instance;  // object nodes only: instance name (dummies use it); may be empty
    int parent = -1;       // index of the parent in Scene::nodes (must come earlier), -1 for a root
    Vec3 pivot = {0.0f, 0.0f, 0.0f};  // object nodes only
    std::vector<VectorKey> position;
    std::vector<RotationKey> rotation;  // object nodes only
    std::vector<VectorKey> scale;       // object nodes only
    std::vector<ScalarKey> fov;         // camera nodes only, degrees
    std::vector<ScalarKey> roll;        // camera nodes only, radians
};

struct Scene {
    std::vector<Material> materials;
    std::vector<Mesh> meshes;
    std::vector<Camera> cameras;
    std::vector<Light> lights;
    std::vector<Node> nodes;
    int frames = 100;  // length of the animation, keyframe frames
};

// Adds a camera with its camera node and target node, each holding one key at frame 0.
// Returns the index of the camera node; the target node follows it.
int AddStillCamera(Scene& scene, const std::string& name, Vec3 position, Vec3 target,
                   float fov = 45.0f);

// An object node for mesh, placed by one frame-0 position key. Returns its index.
int AddObjectNode(Scene& scene, const std::string& meshName, Vec3 position = {0.0f, 0.0f, 0.0f},
                  int parent = -1);

// Writes scene to path as a 3DS file. Returns 1, or 0 with a reason in *error (when given)
// for a description lib3ds cannot hold (names too long, bad parent, too many points or nodes)
// or a file that cannot be written.
int WriteScene(const Scene& scene, const std::string& path, std::string* error = nullptr);

}  // namespace scene_writer
