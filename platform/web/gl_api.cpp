// gl_api.cpp: the OpenGL 1.1 and GLU entry points the show calls, over the CPU vertex
// pipeline (fixed_function.h) and the page's WebGL (gl_backend.h). Vertices are gathered
// into one batch until the drawing state changes, so that a mesh drawn face by face
// costs one WebGL draw.
#include "platform/gl.h"

#include <cstring>
#include <vector>

#include "platform/web/display_lists.h"
#include "platform/web/fixed_function.h"
#include "platform/web/gl_backend.h"

namespace {

struct DrawState {
    int texture = 0;
    int blendSource = 0;
    int blendDestination = 0;
    int depthFunc = 0;
    int cullFace = 0;
    bool operator==(const DrawState& o) const {
        return texture == o.texture && blendSource == o.blendSource &&
               blendDestination == o.blendDestination && depthFunc == o.depthFunc &&
               cullFace == o.cullFace;
    }
};

struct Pipeline {
    std::vector<fixed::Mat4> modelview{fixed::Identity()};
    std::vector<fixed::Mat4> projection{fixed::Identity()};
    GLenum matrixMode = GL_MODELVIEW;
    fixed::Light lights[fixed::kLightCount];
    fixed::Material material;
    bool lighting = false, texturing = false, blending = false, depthTest = false, culling = false;
    GLenum cullFace = GL_BACK, depthFunc = GL_LESS, blendSource = GL_ONE,
           blendDestination = GL_ZERO;
    float clearColour[4] = {0, 0, 0, 0};
    float colour[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texCoord[2] = {0, 0};
    GLuint boundTexture = 0;
    bool inside = false;  // between glBegin and glEnd
    fixed::PrimitiveAssembler assembler;
    // Per glBegin: the matrices the vertices go through.
    fixed::Mat4 modelviewProjection;
    float normalMatrix[9];
    std::vector<float> batch;
    DrawState batchState;

    Pipeline() {
        for (int c = 0; c < 3; ++c) lights[0].diffuse[c] = lights[0].specular[c] = 1.0f;
    }
};

Pipeline& P() {
    static Pipeline pipeline;
    return pipeline;
}

fixed::Mat4& CurrentMatrix() {
    Pipeline& p = P();
    return p.matrixMode == GL_PROJECTION ? p.projection.back() : p.modelview.back();
}

std::vector<fixed::Mat4>& CurrentStack() {
    Pipeline& p = P();
    return p.matrixMode == GL_PROJECTION ? p.projection : p.modelview;
}

DrawState CurrentDrawState() {
    const Pipeline& p = P();
    DrawState s;
    s.texture = p.texturing ? static_cast<int>(p.boundTexture) : 0;
    if (p.blending) {
        s.blendSource = static_cast<int>(p.blendSource);
        s.blendDestination = static_cast<int>(p.blendDestination);
    }
    s.depthFunc = p.depthTest ? static_cast<int>(p.depthFunc) : 0;
    s.cullFace = p.culling ? static_cast<int>(p.cullFace) : 0;
    return s;
}

void Flush() {
    Pipeline& p = P();
    if (p.batch.empty()) return;
    const DrawState& s = p.batchState;
    kelvo_web_gl_draw(p.batch.data(), static_cast<int>(p.batch.size() / fixed::kFloatsPerVertex),
                      s.texture, s.blendSource, s.blendDestination, s.depthFunc, s.cullFace);
    p.batch.clear();
}

bool* Capability(GLenum capability) {
    Pipeline& p = P();
    switch (capability) {
    case GL_LIGHTING: return &p.lighting;
    case GL_TEXTURE_2D: return &p.texturing;
    case GL_BLEND: return &p.blending;
    case GL_DEPTH_TEST: return &p.depthTest;
    case GL_CULL_FACE: return &p.culling;
    default:
        if (capability >= GL_LIGHT0 && capability < GL_LIGHT0 + fixed::kLightCount)
            return &p.lights[capability - GL_LIGHT0].enabled;
        return nullptr;  // GL_NORMALIZE and others: normals are always used as given
    }
}

void MultiplyCurrent(const fixed::Mat4& matrix) {
    fixed::Mat4& current = CurrentMatrix();
    current = fixed::Multiply(current, matrix);
}

float* MaterialColour(GLenum name) {
    fixed::Material& m = P().material;
    switch (name) {
    case GL_AMBIENT: return m.ambient;
    case GL_DIFFUSE: return m.diffuse;
    case GL_SPECULAR: return m.specular;
    case GL_EMISSION: return m.emission;
    default: return nullptr;
    }
}

}  // namespace

// Called by SwapBuffers: everything drawn so far reaches the canvas.
void FlushWebGl() { Flush(); }

extern "C" {

void glEnable(GLenum capability) {
    if (display_lists::Record(display_lists::Op::Enable, capability)) return;
    if (bool* flag = Capability(capability)) *flag = true;
}

void glDisable(GLenum capability) {
    if (display_lists::Record(display_lists::Op::Disable, capability)) return;
    if (bool* flag = Capability(capability)) *flag = false;
}

void glBlendFunc(GLenum source, GLenum destination) {
    if (display_lists::Record(display_lists::Op::BlendFunc, source, destination)) return;
    P().blendSource = source;
    P().blendDestination = destination;
}

void glCullFace(GLenum face) { P().cullFace = face; }
void glDepthFunc(GLenum func) { P().depthFunc = func; }
void glShadeModel(GLenum) {}               // smooth; the show asks for nothing else
void glPolygonOffset(GLfloat, GLfloat) {}  // polygon offset is never enabled by the show

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    const float colour[4] = {r, g, b, a};
    std::memcpy(P().clearColour, colour, sizeof colour);
}

void glClear(GLbitfield mask) {
    Flush();
    const float* c = P().clearColour;
    kelvo_web_gl_clear((mask & GL_COLOR_BUFFER_BIT) != 0, (mask & GL_DEPTH_BUFFER_BIT) != 0, c[0],
                       c[1], c[2], c[3]);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    Flush();
    kelvo_web_gl_viewport(x, y, width, height);
}

void glMatrixMode(GLenum mode) {
    if (display_lists::Record(display_lists::Op::MatrixMode, mode)) return;
    if (mode == GL_MODELVIEW || mode == GL_PROJECTION) P().matrixMode = mode;
}

void glLoadIdentity(void) {
    if (display_lists::Record(display_lists::Op::LoadIdentity)) return;
    CurrentMatrix() = fixed::Identity();
}

void glPushMatrix(void) {
    if (display_lists::Record(display_lists::Op::PushMatrix)) return;
    std::vector<fixed::Mat4>& stack = CurrentStack();
    if (stack.size() < 32) stack.push_back(stack.back());
}

void glPopMatrix(void) {
    if (display_lists::Record(display_lists::Op::PopMatrix)) return;
    std::vector<fixed::Mat4>& stack = CurrentStack();
    if (stack.size() > 1) stack.pop_back();
}

void glMultMatrixf(const GLfloat* m) {
    if (!m) return;
    if (display_lists::Record(display_lists::Op::MultMatrix, 0, 0, m, 16)) return;
    fixed::Mat4 matrix;
    std::memcpy(matrix.m, m, sizeof matrix.m);
    MultiplyCurrent(matrix);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const float args[4] = {angle, x, y, z};
    if (display_lists::Record(display_lists::Op::Rotate, 0, 0, args, 4)) return;
    MultiplyCurrent(fixed::Rotation(angle, x, y, z));
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    const float args[3] = {x, y, z};
    if (display_lists::Record(display_lists::Op::Translate, 0, 0, args, 3)) return;
    MultiplyCurrent(fixed::Translation(x, y, z));
}

// As in GLU, through glMultMatrixf, so that a list being compiled keeps it.
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const fixed::Mat4 perspective = fixed::Perspective(fovy, aspect, zNear, zFar);
    glMultMatrixf(perspective.m);
}

void glLightfv(GLenum light, GLenum name, const GLfloat* params) {
    if (!params || light < GL_LIGHT0 || light >= GL_LIGHT0 + fixed::kLightCount) return;
    if (display_lists::Record(display_lists::Op::Light, light, name, params, 4)) return;
    fixed::Light& l = P().lights[light - GL_LIGHT0];
    switch (name) {
    case GL_AMBIENT: std::memcpy(l.ambient, params, 4 * sizeof(float)); break;
    case GL_DIFFUSE: std::memcpy(l.diffuse, params, 4 * sizeof(float)); break;
    case GL_SPECULAR: std::memcpy(l.specular, params, 4 * sizeof(float)); break;
    case GL_POSITION: fixed::TransformPoint(P().modelview.back(), params, l.position); break;
    default: break;
    }
}

void glMaterialfv(GLenum face, GLenum name, const GLfloat* params) {
    if (!params) return;
    if (display_lists::Record(display_lists::Op::Material, face, name, params,
                              name == GL_SHININESS ? 1 : 4))
        return;
    if (face == GL_BACK) return;  // one-sided lighting never uses the back material
    if (name == GL_SHININESS) {
        P().material.shininess = params[0];
    } else if (name == GL_AMBIENT_AND_DIFFUSE) {
        std::memcpy(P().material.ambient, params, 4 * sizeof(float));
        std::memcpy(P().material.diffuse, params, 4 * sizeof(float));
    } else if (float* colour = MaterialColour(name)) {
        std::memcpy(colour, params, 4 * sizeof(float));
    }
}

void glBegin(GLenum mode) {
    if (display_lists::Record(display_lists::Op::Begin, mode)) return;
    Pipeline& p = P();
    p.inside = true;
    p.modelviewProjection = fixed::Multiply(p.projection.back(), p.modelview.back());
    fixed::NormalMatrix(p.modelview.back(), p.normalMatrix);
    p.assembler.Begin(mode == GL_TRIANGLES ? fixed::Primitive::Triangles
                      : mode == GL_QUADS   ? fixed::Primitive::Quads
                                           : fixed::Primitive::Other);
}

void glEnd(void) {
    if (display_lists::Record(display_lists::Op::End)) return;
    Pipeline& p = P();
    if (!p.inside) return;
    p.inside = false;
    DrawState state = CurrentDrawState();
    if (!(state == p.batchState)) {
        Flush();
        p.batchState = state;
    }
    p.assembler.End(&p.batch);
}

void glNormal3fv(const GLfloat* v) {
    if (!v) return;
    if (display_lists::Record(display_lists::Op::Normal, 0, 0, v, 3)) return;
    std::memcpy(P().normal, v, 3 * sizeof(float));
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    const float colour[4] = {r, g, b, a};
    if (display_lists::Record(display_lists::Op::Colour, 0, 0, colour, 4)) return;
    std::memcpy(P().colour, colour, sizeof colour);
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    const float coordinates[2] = {s, t};
    if (display_lists::Record(display_lists::Op::TexCoord, 0, 0, coordinates, 2)) return;
    P().texCoord[0] = s;
    P().texCoord[1] = t;
}

void glTexCoord2fv(const GLfloat* v) {
    if (v) glTexCoord2f(v[0], v[1]);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    const float object[4] = {x, y, z, 1.0f};
    if (display_lists::Record(display_lists::Op::Vertex, 0, 0, object, 3)) return;
    Pipeline& p = P();
    if (!p.inside) return;
    float vertex[fixed::kFloatsPerVertex];
    fixed::TransformPoint(p.modelviewProjection, object, vertex);
    if (p.lighting) {
        float eye[4], normal[3];
        fixed::TransformPoint(p.modelview.back(), object, eye);
        for (int row = 0; row < 3; ++row)
            normal[row] = p.normalMatrix[row] * p.normal[0] +
                          p.normalMatrix[3 + row] * p.normal[1] +
                          p.normalMatrix[6 + row] * p.normal[2];
        fixed::ShadeVertex(p.lights, p.material, eye, normal, vertex + 4);
    } else {
        std::memcpy(vertex + 4, p.colour, 4 * sizeof(float));
    }
    vertex[8] = p.texCoord[0];
    vertex[9] = p.texCoord[1];
    p.assembler.Add(vertex);
}

void glVertex3fv(const GLfloat* v) {
    if (v) glVertex3f(v[0], v[1], v[2]);
}

void glGenTextures(GLsizei n, GLuint* textures) {
    for (GLsizei i = 0; textures && i < n; ++i)
        textures[i] = static_cast<GLuint>(kelvo_web_gl_texture_create());
}

void glBindTexture(GLenum target, GLuint texture) {
    if (display_lists::Record(display_lists::Op::BindTexture, target, texture)) return;
    if (target == GL_TEXTURE_2D) P().boundTexture = texture;
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint, GLenum format, GLenum type, const GLvoid* pixels) {
    const Pipeline& p = P();
    if (target != GL_TEXTURE_2D || level != 0 || !pixels || p.boundTexture == 0 || width <= 0 ||
        height <= 0 || format != GL_RGBA || type != GL_UNSIGNED_BYTE)
        return;
    Flush();
    std::vector<unsigned char> rgba(
        static_cast<const unsigned char*>(pixels),
        static_cast<const unsigned char*>(pixels) + static_cast<std::size_t>(width) * height * 4);
    // Three components (3, GL_RGB): the texture has no alpha and reads as opaque.
    if (internalFormat == 3 || internalFormat == GL_RGB)
        for (std::size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
    kelvo_web_gl_texture_image(static_cast<int>(p.boundTexture), width, height, rgba.data());
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    if (target != GL_TEXTURE_2D || P().boundTexture == 0) return;
    kelvo_web_gl_texture_parameter(static_cast<int>(P().boundTexture), static_cast<int>(name),
                                   value);
}

GLuint glGenLists(GLsizei range) { return display_lists::Generate(range); }
void glNewList(GLuint list, GLenum mode) {
    display_lists::Begin(list, mode == GL_COMPILE_AND_EXECUTE);
}
void glEndList(void) { display_lists::End(); }

void glCallList(GLuint list) {
    if (display_lists::Record(display_lists::Op::CallList, list)) return;
    display_lists::Replay(list);
}

}  // extern "C"
