// fixed_function.cpp: matrices, lighting and primitive assembly of the CPU vertex pipeline.
#include "platform/web/fixed_function.h"

#include <algorithm>
#include <cmath>

namespace fixed {

Mat4 Identity() {
    Mat4 r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            r.m[column * 4 + row] = sum;
        }
    return r;
}

Mat4 Rotation(float degrees, float x, float y, float z) {
    float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) return Identity();
    x /= length;
    y /= length;
    z /= length;
    const float radians = degrees * 3.14159265358979323846f / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians), t = 1.0f - c;
    Mat4 r = Identity();
    r.m[0] = x * x * t + c;
    r.m[1] = y * x * t + z * s;
    r.m[2] = x * z * t - y * s;
    r.m[4] = x * y * t - z * s;
    r.m[5] = y * y * t + c;
    r.m[6] = y * z * t + x * s;
    r.m[8] = x * z * t + y * s;
    r.m[9] = y * z * t - x * s;
    r.m[10] = z * z * t + c;
    return r;
}

Mat4 Translation(float x, float y, float z) {
    Mat4 r = Identity();
    r.m[12] = x;
    r.m[13] = y;
    r.m[14] = z;
    return r;
}

Mat4 Perspective(double fovyDegrees, double aspect, double zNear, double zFar) {
    const double radians = fovyDegrees / 2.0 * 3.14159265358979323846 / 180.0;
    const double sine = std::sin(radians);
    const double depth = zFar - zNear;
    // The same refusals as GLU: the matrix is left unchanged.
    if (depth == 0.0 || sine == 0.0 || aspect == 0.0) return Identity();
    const double cotangent = std::cos(radians) / sine;
    Mat4 r{};
    r.m[0] = static_cast<float>(cotangent / aspect);
    r.m[5] = static_cast<float>(cotangent);
    r.m[10] = static_cast<float>(-(zFar + zNear) / depth);
    r.m[11] = -1.0f;
    r.m[14] = static_cast<float>(-2.0 * zNear * zFar / depth);
    return r;
}

void NormalMatrix(const Mat4& a, float out[9]) {
    // Upper 3 x 3, element (row, column) at a.m[column * 4 + row].
    auto e = [&a](int row, int column) { return static_cast<double>(a.m[column * 4 + row]); };
    const double c00 = e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1);
    const double c01 = e(1, 2) * e(2, 0) - e(1, 0) * e(2, 2);
    const double c02 = e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0);
    const double determinant = e(0, 0) * c00 + e(0, 1) * c01 + e(0, 2) * c02;
    if (determinant == 0.0 || !std::isfinite(determinant)) {
        const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        std::copy(identity, identity + 9, out);
        return;
    }
    // The inverse's transpose is the cofactor matrix over the determinant.
    const double cofactor[3][3] = {
        {c00, c01, c02},
        {e(0, 2) * e(2, 1) - e(0, 1) * e(2, 2), e(0, 0) * e(2, 2) - e(0, 2) * e(2, 0),
         e(0, 1) * e(2, 0) - e(0, 0) * e(2, 1)},
        {e(0, 1) * e(1, 2) - e(0, 2) * e(1, 1), e(0, 2) * e(1, 0) - e(0, 0) * e(1, 2),
         e(0, 0) * e(1, 1) - e(0, 1) * e(1, 0)}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            out[column * 3 + row] = static_cast<float>(cofactor[row][column] / determinant);
}

void TransformPoint(const Mat4& a, const float in[4], float out[4]) {
    for (int row = 0; row < 4; ++row)
        out[row] =
            a.m[row] * in[0] + a.m[4 + row] * in[1] + a.m[8 + row] * in[2] + a.m[12 + row] * in[3];
}

namespace {

float Dot3(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Normalise3(float v[3]) {
    const float length = std::sqrt(Dot3(v, v));
    if (length > 0.0f)
        for (int i = 0; i < 3; ++i) v[i] /= length;
}

}  // namespace

void ShadeVertex(const Light lights[kLightCount], const Material& material,
                 const float eyePosition[4], const float normal[3], float colour[4]) {
    for (int c = 0; c < 3; ++c)
        colour[c] = material.emission[c] + material.ambient[c] * kGlobalAmbient[c];
    for (int i = 0; i < kLightCount; ++i) {
        const Light& light = lights[i];
        if (!light.enabled) continue;
        float toLight[3];
        if (light.position[3] == 0.0f) {
            for (int c = 0; c < 3; ++c) toLight[c] = light.position[c];
        } else {
            const float w = eyePosition[3] != 0.0f ? eyePosition[3] : 1.0f;
            for (int c = 0; c < 3; ++c)
                toLight[c] = light.position[c] / light.position[3] - eyePosition[c] / w;
        }
        Normalise3(toLight);
        const float diffuse = std::max(Dot3(normal, toLight), 0.0f);
        float specular = 0.0f;
        if (diffuse > 0.0f) {
            // The viewer is at infinity along +z (no local viewer).
            float halfway[3] = {toLight[0], toLight[1], toLight[2] + 1.0f};
            Normalise3(halfway);
            const float facing = std::max(Dot3(normal, halfway), 0.0f);
            specular = material.shininess == 0.0f ? 1.0f : std::pow(facing, material.shininess);
        }
        for (int c = 0; c < 3; ++c)
            colour[c] += material.ambient[c] * light.ambient[c] +
                         diffuse * material.diffuse[c] * light.diffuse[c] +
                         specular * material.specular[c] * light.specular[c];
    }
    colour[3] = material.diffuse[3];
    for (int c = 0; c < 4; ++c) colour[c] = std::min(std::max(colour[c], 0.0f), 1.0f);
}

void PrimitiveAssembler::Begin(Primitive primitive) {
    primitive_ = primitive;
    vertices_.clear();
}

void PrimitiveAssembler::Add(const float vertex[kFloatsPerVertex]) {
    vertices_.insert(vertices_.end(), vertex, vertex + kFloatsPerVertex);
}

void PrimitiveAssembler::End(std::vector<float>* out) {
    const std::size_t count = vertices_.size() / kFloatsPerVertex;
    auto append = [&](std::size_t index) {
        const float* vertex = &vertices_[index * kFloatsPerVertex];
        out->insert(out->end(), vertex, vertex + kFloatsPerVertex);
    };
    if (primitive_ == Primitive::Triangles) {
        for (std::size_t i = 0; i + 3 <= count; i += 3)
            for (std::size_t k = 0; k < 3; ++k) append(i + k);
    } else if (primitive_ == Primitive::Quads) {
        for (std::size_t i = 0; i + 4 <= count; i += 4) {
            const std::size_t order[6] = {0, 1, 2, 0, 2, 3};
            for (std::size_t k : order) append(i + k);
        }
    }
    vertices_.clear();
}

}  // namespace fixed
