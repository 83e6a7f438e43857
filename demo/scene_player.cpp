// scene_player.cpp: the show's one effect: loads the scenes and pictures, picks what each frame
// shows.
#include "demo/scene_player.h"

#include "app/program_state.h"
#include "platform/win32.h"

#include "platform/gl.h"

#include <cstdio>
#include <new>

#include "demo/flash_table.h"
#include "demo/scene_table.h"
#include "gfx/texture_registry.h"
#include "scene/scene.h"

namespace {

// "chinois" + n + ".png", n from 1 to 24.
void PictureName(int n, char* name, int size) { std::snprintf(name, size, kPictureNameFormat, n); }

// Draws the picture of every flash whose window holds elapsed, in table order (the windows
// never overlap, so that is at most one). 1 when a picture was drawn.
int DrawDueFlashes(ScenePlayer* player, int elapsed) {
    int drawn = 0;
    for (int k = 0; k < kFlashCount; ++k) {
        if (kFlashTimes[k] < elapsed && elapsed < kFlashTimes[k] + kFlashWindow) {
            player->DrawPicture(k % kPictureCount + 1);
            drawn = 1;
        }
    }
    return drawn;
}

}  // namespace

void SetShowBaselineState() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_NORMALIZE);
    glPolygonOffset(1.0f, 2.0f);
}

// The slots are cleared (nothing else reads them before Init fills them) so that the
// destructor can tell a scene from garbage whenever it runs.
ScenePlayer::ScenePlayer() : scenes(), durations(), sceneCount(0) {}

// Every scene Init made is deleted, the last one included although selection's walk
// stops before it.
ScenePlayer::~ScenePlayer() {
    for (int i = 0; i < kMaxScenes; ++i) delete scenes[i];
}

int ScenePlayer::Init() {
    SetShowBaselineState();
    for (int i = 0; i < kSceneRows; ++i) {
        // Without memory for a scene its slot stays empty and its span shows the cleared frame.
        scenes[i] = new (std::nothrow) Scene();
        if (scenes[i]) scenes[i]->Load(kSceneTable[i].file);
        durations[i] = kSceneTable[i].duration;
    }
    sceneCount = kWalkedScenes;
    // After the scenes, so that their material textures take the first registry slots.
    for (int n = 1; n <= kPictureCount; ++n) {
        char name[32];
        PictureName(n, name, sizeof name);
        textureRegistry->Load(name);
    }
    return 1;
}

int ScenePlayer::Render(int elapsed, int) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (DrawDueFlashes(this, elapsed)) return 1;

    int k = 0;
    int passed = 0;
    for (int i = 0; i < sceneCount; ++i) {
        if (elapsed - passed < durations[i]) break;
        passed += durations[i];
        ++k;
    }
    if (scenes[k]) scenes[k]->DrawFrame(elapsed - passed);
    return 1;
}

int ScenePlayer::DrawPicture(int n) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    char name[32];
    PictureName(n, name, sizeof name);
    textureRegistry->BindByName(name);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    // Texture row 0 is the picture's bottom row, so (0, 0) at the bottom-left shows it upright.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(1.0f, -1.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glEnd();
    return 1;
}
