// display_lists.h: OpenGL display lists for the web layer's GL entry points. Between
// glNewList and glEndList each entry point hands its call to Record, which keeps it; a
// glCallList replays the kept calls through the same entry points.
#pragma once

#include "platform/gl.h"

namespace display_lists {

enum class Op {
    Enable,
    Disable,
    BlendFunc,
    MatrixMode,
    LoadIdentity,
    PushMatrix,
    PopMatrix,
    MultMatrix,
    Rotate,
    Translate,
    Light,
    Material,
    Begin,
    End,
    Normal,
    Colour,
    TexCoord,
    Vertex,
    BindTexture,
    CallList
};

// Keeps the call when a list is being compiled. True when the caller must not execute it
// now (GL_COMPILE); false when it runs as usual (no list open, or GL_COMPILE_AND_EXECUTE).
bool Record(Op op, GLenum a = 0, GLuint b = 0, const float* floats = nullptr, int count = 0);

// Reserves range consecutive list names; returns the first, 0 when range is not positive.
GLuint Generate(GLsizei range);
// Opens list for compiling, replacing what it held; ignored while a list is open or for 0.
void Begin(GLuint list, bool execute);
void End();
// Runs the calls of list; an unknown list does nothing, and lists nest at most 64 deep.
void Replay(GLuint list);

}  // namespace display_lists
