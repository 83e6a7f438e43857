// gl_backend.h: the page's WebGL 2 side of the fixed-function layer (kelvo_web.js).
// It draws what the CPU pipeline (fixed_function.h) produced with one shader that
// interpolates colours and modulates them by the bound texture.
#pragma once

extern "C" {
// Creates the canvas's WebGL context; 0 when the browser offers none.
int kelvo_web_gl_create(void);
void kelvo_web_gl_viewport(int x, int y, int width, int height);
void kelvo_web_gl_clear(int colour, int depth, float r, float g, float b, float a);
// Draws vertexCount vertices of fixed::kFloatsPerVertex floats as triangles. texture is
// a name from kelvo_web_gl_texture_create or 0; blendSource/blendDestination are GL
// factors (0: blending off); depthFunc is a GL comparison (0: depth test off);
// cullFace GL_FRONT, GL_BACK or GL_FRONT_AND_BACK (0: culling off).
void kelvo_web_gl_draw(const float* vertices, int vertexCount, int texture, int blendSource,
                       int blendDestination, int depthFunc, int cullFace);
int kelvo_web_gl_texture_create(void);
// Uploads tightly packed RGBA rows, bottom row first.
void kelvo_web_gl_texture_image(int texture, int width, int height, const unsigned char* rgba);
void kelvo_web_gl_texture_parameter(int texture, int name, int value);
}
