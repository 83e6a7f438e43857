// fixed_function.h: the OpenGL 1.1 vertex pipeline the show draws with, computed on the
// CPU: matrix stacks, per-vertex lighting, materials and lights with their default
// values, primitive assembly into triangles. What leaves it is ready for a shader that
// only interpolates: clip-space positions, lit colours and texture coordinates.
//
// Kept free of any browser call so that it can be checked against a desktop OpenGL.
#pragma once

#include <cstddef>
#include <vector>

namespace fixed {

// Column-major, as OpenGL stores matrices.
struct Mat4 {
    float m[16];
};

Mat4 Identity();
Mat4 Multiply(const Mat4& a, const Mat4& b);
Mat4 Rotation(float degrees, float x, float y, float z);
Mat4 Translation(float x, float y, float z);
Mat4 Perspective(double fovyDegrees, double aspect, double zNear, double zFar);
// The transpose of the inverse of the upper 3 x 3 part (for normals), as 9 floats,
// column-major; the identity when the part cannot be inverted.
void NormalMatrix(const Mat4& modelview, float out[9]);
void TransformPoint(const Mat4& matrix, const float in[4], float out[4]);

struct Light {
    bool enabled = false;
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};   // light 0: white
    float specular[4] = {0, 0, 0, 1};  // light 0: white
    float position[4] = {0, 0, 1, 0};  // eye space
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float specular[4] = {0, 0, 0, 1};
    float emission[4] = {0, 0, 0, 1};
    float shininess = 0;
};

const int kLightCount = 8;
const float kGlobalAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};

// The colour of a vertex at eyePosition with the eye-space normal (used as given:
// normalising is off), clamped to [0, 1].
void ShadeVertex(const Light lights[kLightCount], const Material& material,
                 const float eyePosition[4], const float normal[3], float colour[4]);

// One vertex as it leaves the pipeline: x y z w, r g b a, s t.
const int kFloatsPerVertex = 10;

enum class Primitive { Triangles, Quads, Other };

// Vertices of one glBegin/glEnd pair, turned into whole triangles.
class PrimitiveAssembler {
public:
    void Begin(Primitive primitive);
    void Add(const float vertex[kFloatsPerVertex]);
    // Appends the complete triangles to out; leftover vertices are dropped, as OpenGL does.
    void End(std::vector<float>* out);

private:
    Primitive primitive_ = Primitive::Other;
    std::vector<float> vertices_;
};

}  // namespace fixed
