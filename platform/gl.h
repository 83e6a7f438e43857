// gl.h: OpenGL 1.1 and GLU as the show calls them.
//
// On Windows <GL/gl.h> needs the types and calling conventions of <windows.h>, so the
// platform header has to come first; including GL through this header keeps that order
// in every file.
#pragma once

#include "platform/win32.h"

#include <GL/gl.h>
#include <GL/glu.h>
