// web_fixed_function_test.cpp: the web layer's CPU vertex pipeline against Mesa's
// OpenGL: the same matrices, and the same lit colour for the same lights, material,
// normal and modelview.
#include "platform/gl.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/web/fixed_function.h"
#include "support/headless_window.h"

namespace {

void ExpectMatrixNear(const float* expected, const fixed::Mat4& actual) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(expected[i], actual.m[i], 1e-5f) << "element " << i;
}

fixed::Mat4 GlMatrix(GLenum which) {
    fixed::Mat4 m;
    glGetFloatv(which, m.m);
    return m;
}

class FixedFunctionMatrices : public GlWindowTest {};

TEST_F(FixedFunctionMatrices, MatchOpenGlsRotateTranslateMultiplyAndPerspective) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(1.5f, -2.0f, 3.25f);
    glRotatef(33.0f, 0.3f, -1.0f, 2.0f);  // an axis that is not of unit length
    const fixed::Mat4 shear = {{1, 0.5f, 0, 0, 0, 1, 0, 0, 0.25f, 0, 2, 0, 4, 5, 6, 1}};
    glMultMatrixf(shear.m);
    fixed::Mat4 ours =
        fixed::Multiply(fixed::Multiply(fixed::Multiply(fixed::Rotation(-90.0f, 1, 0, 0),
                                                        fixed::Translation(1.5f, -2.0f, 3.25f)),
                                        fixed::Rotation(33.0f, 0.3f, -1.0f, 2.0f)),
                        shear);
    ExpectMatrixNear(GlMatrix(GL_MODELVIEW_MATRIX).m, ours);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 4.0 / 3.0, 1.0, 20000.0);
    ExpectMatrixNear(GlMatrix(GL_PROJECTION_MATRIX).m,
                     fixed::Perspective(45.0, 4.0 / 3.0, 1.0, 20000.0));
}

TEST_F(FixedFunctionMatrices, LightPositionsAreTakenInEyeSpaceLikeOpenGls) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 3.0f, 0.0f);
    const float position[4] = {0.5f, -1.0f, 2.0f, 0.0f};
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    float expected[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, expected);
    float ours[4];
    fixed::TransformPoint(GlMatrix(GL_MODELVIEW_MATRIX), position, ours);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(expected[i], ours[i], 1e-5f);
}

TEST(FixedFunctionNormals, NormalMatrixIsTheInverseTransposeOrTheIdentityWhenSingular) {
    const fixed::Mat4 m =
        fixed::Multiply(fixed::Rotation(40.0f, 1, 2, 3),
                        fixed::Mat4{{2, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 3, 0, 7, 8, 9, 1}});
    float normal[9];
    fixed::NormalMatrix(m, normal);
    // transpose(N) * M3 = I for N the inverse transpose of M3.
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            float sum = 0;
            for (int k = 0; k < 3; ++k) sum += normal[row * 3 + k] * m.m[column * 4 + k];
            EXPECT_NEAR(row == column ? 1.0f : 0.0f, sum, 1e-5f) << row << "," << column;
        }
    fixed::Mat4 flat = fixed::Identity();
    flat.m[10] = 0;  // squashes z: no inverse
    fixed::NormalMatrix(flat, normal);
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(identity[i], normal[i]);
}

TEST(FixedFunctionAssembly, QuadsBecomeTwoTrianglesAndIncompletePrimitivesAreDropped) {
    auto vertex = [](float id) {
        std::vector<float> v(fixed::kFloatsPerVertex, 0.0f);
        v[0] = id;
        return v;
    };
    fixed::PrimitiveAssembler assembler;
    std::vector<float> out;
    assembler.Begin(fixed::Primitive::Quads);
    for (int i = 0; i < 6; ++i) assembler.Add(vertex(float(i)).data());  // one quad and a half
    assembler.End(&out);
    assembler.Begin(fixed::Primitive::Triangles);
    for (int i = 10; i < 14; ++i) assembler.Add(vertex(float(i)).data());  // a triangle and one
    assembler.End(&out);
    std::vector<float> ids;
    for (std::size_t i = 0; i < out.size(); i += fixed::kFloatsPerVertex) ids.push_back(out[i]);
    EXPECT_EQ((std::vector<float>{0, 1, 2, 0, 2, 3, 10, 11, 12}), ids);
}

// One lighting set-up, given to Mesa and to the CPU pipeline alike.
struct LightingCase {
    const char* name;
    int light;          // the one light enabled
    float position[4];  // given under the modelview below
    float rotateX;      // degrees about x applied before the light is given
    float scale;        // uniform scale of the modelview the triangle is drawn with
    float ambient[4], diffuse[4], specular[4];  // material
    float normal[3];
};

// clang-format off
const LightingCase kLightingCases[] = {
    {"head light, default material", 0, {0, 0, 1, 0}, 0, 1, {0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 1}, {0, 0, 1}},
    {"slanted light", 0, {0, 1, 1, 0}, 0, 1, {0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 1}, {0, 0, 1}},
    {"light from behind", 0, {0, 0, -1, 0}, 0, 1, {0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 1}, {0, 0, 1}},
    {"light 1 has no colour of its own", 1, {0, 0, 1, 0}, 0, 1, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 1}},
    {"ambient, diffuse, specular apart", 0, {0, 0, 1, 0}, 0, 1, {1, 0, 0, 1}, {0, 0.5f, 0, 1}, {0, 0, 1, 1}, {0, 0, 1}},
    {"light given under a rotation", 0, {0, 1, 0, 0}, 90, 1, {0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 1}, {0, 0, 1}},
    {"normals not renormalised under a scale", 0, {0, 0, 1, 0}, 0, 2, {0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 1}, {0, 0, 1}},
    {"a normal that is not of unit length", 0, {0, 0, 1, 0}, 0, 1, {0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 1}, {0, 0, 0.5f}},
};
// clang-format on

class FixedFunctionLighting : public GlWindowTest {};

TEST_F(FixedFunctionLighting, LitColoursMatchMesas) {
    for (const LightingCase& c : kLightingCases) {
        SCOPED_TRACE(c.name);
        glViewport(0, 0, 640, 480);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_NORMALIZE);
        glShadeModel(GL_SMOOTH);
        glEnable(GL_LIGHTING);
        for (int i = 0; i < 8; ++i) glDisable(GL_LIGHT0 + i);
        glEnable(GL_LIGHT0 + c.light);
        glMaterialfv(GL_FRONT, GL_AMBIENT, c.ambient);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, c.diffuse);
        glMaterialfv(GL_FRONT, GL_SPECULAR, c.specular);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(c.rotateX, 1, 0, 0);
        glLightfv(GL_LIGHT0 + c.light, GL_POSITION, c.position);
        fixed::Mat4 lightMatrix = GlMatrix(GL_MODELVIEW_MATRIX);
        glLoadIdentity();
        const float scale[16] = {c.scale, 0, 0, 0, 0, c.scale, 0, 0, 0, 0, c.scale, 0, 0, 0, 0, 1};
        glMultMatrixf(scale);
        glBegin(GL_TRIANGLES);
        glNormal3fv(c.normal);
        glVertex3f(-0.4f, -0.4f, 0);
        glVertex3f(0.4f, -0.4f, 0);
        glVertex3f(0, 0.4f, 0);
        glEnd();
        glFinish();
        const Rgb mesa = PixelAt(320, 240);

        fixed::Light lights[fixed::kLightCount];
        for (int c2 = 0; c2 < 3; ++c2) lights[0].diffuse[c2] = lights[0].specular[c2] = 1.0f;
        lights[c.light].enabled = true;
        fixed::TransformPoint(lightMatrix, c.position, lights[c.light].position);
        fixed::Material material;
        std::memcpy(material.ambient, c.ambient, sizeof material.ambient);
        std::memcpy(material.diffuse, c.diffuse, sizeof material.diffuse);
        std::memcpy(material.specular, c.specular, sizeof material.specular);
        float normalMatrix[9], normal[3];
        fixed::NormalMatrix(GlMatrix(GL_MODELVIEW_MATRIX), normalMatrix);
        for (int row = 0; row < 3; ++row)
            normal[row] = normalMatrix[row] * c.normal[0] + normalMatrix[3 + row] * c.normal[1] +
                          normalMatrix[6 + row] * c.normal[2];
        const float eye[4] = {0, 0, 0, 1};
        float colour[4];
        fixed::ShadeVertex(lights, material, eye, normal, colour);
        // The headless framebuffer holds 5 or 6 bits a channel: up to 8 apart on 0..255.
        EXPECT_NEAR(mesa.r, colour[0] * 255.0f, 9.0f);
        EXPECT_NEAR(mesa.g, colour[1] * 255.0f, 9.0f);
        EXPECT_NEAR(mesa.b, colour[2] * 255.0f, 9.0f);
    }
}

}  // namespace
