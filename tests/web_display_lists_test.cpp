// web_display_lists_test.cpp: the web layer's display lists replayed through Mesa's
// OpenGL: a list recorded call by call draws what the same calls draw made directly.
#include "platform/gl.h"

#include <vector>

#include "platform/web/display_lists.h"
#include "support/headless_window.h"

namespace {

using display_lists::Op;

std::vector<std::uint8_t> Frame() {
    int width = 0, height = 0;
    return headless::ReadPixels(&width, &height);
}

void ResetState() {
    glViewport(0, 0, 640, 480);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHT0);
}

const float kShift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.1f, 0.05f, 0, 1};
const float kDiffuse[4] = {0.9f, 0.3f, 0.1f, 1};
const float kLight[4] = {0, 1, 1, 0};
const float kNormal[3] = {0, 0, 1};

// Every kind of call a list holds: matrices, lighting, blending and two primitives.
void DrawDirectly() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixf(kShift);
    glRotatef(20, 0, 0, 1);
    glTranslatef(-0.1f, 0, 0);
    glLightfv(GL_LIGHT0, GL_POSITION, kLight);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, kDiffuse);
    glEnable(GL_LIGHTING);
    glBegin(GL_TRIANGLES);
    glNormal3fv(kNormal);
    glVertex3f(-0.5f, -0.5f, 0);
    glVertex3f(0.5f, -0.5f, 0);
    glVertex3f(0, 0.5f, 0);
    glEnd();
    glPopMatrix();
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glBegin(GL_QUADS);
    glColor4f(0.2f, 0.4f, 0.6f, 1);
    glTexCoord2f(0, 0);
    glVertex3f(-0.8f, -0.8f, 0);
    glVertex3f(0.2f, -0.8f, 0);
    glVertex3f(0.2f, 0.2f, 0);
    glVertex3f(-0.8f, 0.2f, 0);
    glEnd();
    glDisable(GL_BLEND);
}

// The same calls as DrawDirectly, as the web entry points hand them to the recorder.
void RecordSameCalls() {
    const float rotate[4] = {20, 0, 0, 1}, translate[3] = {-0.1f, 0, 0};
    const float v[][3] = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0, 0.5f, 0}};
    const float q[][3] = {{-0.8f, -0.8f, 0}, {0.2f, -0.8f, 0}, {0.2f, 0.2f, 0}, {-0.8f, 0.2f, 0}};
    const float colour[4] = {0.2f, 0.4f, 0.6f, 1}, texel[2] = {0, 0};
    display_lists::Record(Op::MatrixMode, GL_MODELVIEW);
    display_lists::Record(Op::PushMatrix);
    display_lists::Record(Op::MultMatrix, 0, 0, kShift, 16);
    display_lists::Record(Op::Rotate, 0, 0, rotate, 4);
    display_lists::Record(Op::Translate, 0, 0, translate, 3);
    display_lists::Record(Op::Light, GL_LIGHT0, GL_POSITION, kLight, 4);
    display_lists::Record(Op::Material, GL_FRONT, GL_DIFFUSE, kDiffuse, 4);
    display_lists::Record(Op::Enable, GL_LIGHTING);
    display_lists::Record(Op::Begin, GL_TRIANGLES);
    display_lists::Record(Op::Normal, 0, 0, kNormal, 3);
    for (const auto& vertex : v) display_lists::Record(Op::Vertex, 0, 0, vertex, 3);
    display_lists::Record(Op::End);
    display_lists::Record(Op::PopMatrix);
    display_lists::Record(Op::Disable, GL_LIGHTING);
    display_lists::Record(Op::Enable, GL_BLEND);
    display_lists::Record(Op::BlendFunc, GL_ONE, GL_ONE);
    display_lists::Record(Op::Begin, GL_QUADS);
    display_lists::Record(Op::Colour, 0, 0, colour, 4);
    display_lists::Record(Op::TexCoord, 0, 0, texel, 2);
    for (const auto& vertex : q) display_lists::Record(Op::Vertex, 0, 0, vertex, 3);
    display_lists::Record(Op::End);
    display_lists::Record(Op::Disable, GL_BLEND);
}

class WebDisplayLists : public GlWindowTest {};

TEST_F(WebDisplayLists, ReplayDrawsWhatTheRecordedCallsDraw) {
    ResetState();
    DrawDirectly();
    glFinish();
    const std::vector<std::uint8_t> direct = Frame();

    const GLuint list = display_lists::Generate(1);
    ASSERT_NE(0u, list);
    display_lists::Begin(list, false);
    RecordSameCalls();
    display_lists::End();
    // The drawing shows: a replay that drew nothing could not pass for it.
    ResetState();
    glFinish();
    const std::vector<std::uint8_t> cleared = Frame();
    ASSERT_NE(direct, cleared);

    // Twice, through an outer list that calls the first one.
    const GLuint outer = display_lists::Generate(1);
    display_lists::Begin(outer, false);
    EXPECT_TRUE(display_lists::Record(Op::CallList, list));
    display_lists::End();
    display_lists::Replay(outer);
    glFinish();
    EXPECT_EQ(direct, Frame());
    ResetState();
    display_lists::Replay(outer);
    glFinish();
    EXPECT_EQ(direct, Frame());
}

TEST_F(WebDisplayLists, NamesAreFreshAndMisuseIsHarmless) {
    const GLuint first = display_lists::Generate(3);
    EXPECT_EQ(first + 3, display_lists::Generate(1));
    EXPECT_EQ(0u, display_lists::Generate(0));
    EXPECT_EQ(0u, display_lists::Generate(-2));
    // No list open: calls run as usual.
    EXPECT_FALSE(display_lists::Record(Op::LoadIdentity));
    // Compile and execute: kept, and run as usual too.
    display_lists::Begin(first, true);
    EXPECT_FALSE(display_lists::Record(Op::LoadIdentity));
    display_lists::End();
    display_lists::End();  // a second end is ignored

    // A list that calls itself stops at the nesting limit; an unknown list draws nothing.
    ResetState();
    glFinish();
    const std::vector<std::uint8_t> cleared = Frame();
    display_lists::Begin(first + 1, false);
    display_lists::Record(Op::CallList, first + 1);
    display_lists::End();
    display_lists::Replay(first + 1);
    display_lists::Replay(987654);
    glFinish();
    EXPECT_EQ(cleared, Frame());
}

}  // namespace
