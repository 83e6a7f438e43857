// display_lists.cpp: compiling and replaying display lists.
#include "platform/web/display_lists.h"

#include <algorithm>
#include <map>
#include <vector>

namespace display_lists {
namespace {

struct Command {
    Op op;
    GLenum a;
    GLuint b;
    float f[16];
};

struct Lists {
    std::map<GLuint, std::vector<Command>> compiled;
    GLuint nextName = 1;
    GLuint open = 0;
    bool execute = false;
    std::vector<Command> recording;
    int replayDepth = 0;
};

Lists& L() {
    static Lists lists;
    return lists;
}

void Run(const Command& c) {
    switch (c.op) {
    case Op::Enable: glEnable(c.a); break;
    case Op::Disable: glDisable(c.a); break;
    case Op::BlendFunc: glBlendFunc(c.a, static_cast<GLenum>(c.b)); break;
    case Op::MatrixMode: glMatrixMode(c.a); break;
    case Op::LoadIdentity: glLoadIdentity(); break;
    case Op::PushMatrix: glPushMatrix(); break;
    case Op::PopMatrix: glPopMatrix(); break;
    case Op::MultMatrix: glMultMatrixf(c.f); break;
    case Op::Rotate: glRotatef(c.f[0], c.f[1], c.f[2], c.f[3]); break;
    case Op::Translate: glTranslatef(c.f[0], c.f[1], c.f[2]); break;
    case Op::Light: glLightfv(c.a, static_cast<GLenum>(c.b), c.f); break;
    case Op::Material: glMaterialfv(c.a, static_cast<GLenum>(c.b), c.f); break;
    case Op::Begin: glBegin(c.a); break;
    case Op::End: glEnd(); break;
    case Op::Normal: glNormal3fv(c.f); break;
    case Op::Colour: glColor4f(c.f[0], c.f[1], c.f[2], c.f[3]); break;
    case Op::TexCoord: glTexCoord2f(c.f[0], c.f[1]); break;
    case Op::Vertex: glVertex3f(c.f[0], c.f[1], c.f[2]); break;
    case Op::BindTexture: glBindTexture(c.a, c.b); break;
    case Op::CallList: Replay(c.a); break;
    }
}

}  // namespace

bool Record(Op op, GLenum a, GLuint b, const float* floats, int count) {
    Lists& lists = L();
    if (lists.open == 0 || lists.replayDepth > 0) return false;
    Command command{op, a, b, {}};
    if (floats) std::copy(floats, floats + std::min(count, 16), command.f);
    lists.recording.push_back(command);
    return !lists.execute;
}

GLuint Generate(GLsizei range) {
    Lists& lists = L();
    if (range <= 0) return 0;
    const GLuint first = lists.nextName;
    lists.nextName += static_cast<GLuint>(range);
    return first;
}

void Begin(GLuint list, bool execute) {
    Lists& lists = L();
    if (lists.open != 0 || list == 0) return;
    lists.open = list;
    lists.execute = execute;
    lists.recording.clear();
}

void End() {
    Lists& lists = L();
    if (lists.open == 0) return;
    lists.compiled[lists.open] = std::move(lists.recording);
    lists.recording.clear();
    lists.open = 0;
}

void Replay(GLuint list) {
    Lists& lists = L();
    auto found = lists.compiled.find(list);
    if (found == lists.compiled.end() || lists.replayDepth >= 64) return;
    ++lists.replayDepth;
    for (const Command& command : found->second) Run(command);
    --lists.replayDepth;
}

}  // namespace display_lists
