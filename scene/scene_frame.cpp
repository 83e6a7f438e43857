// scene_frame.cpp: one frame of a Scene: camera, projection, lights, nodes, animation step.
#include "scene/scene.h"

#include "app/display_settings.h"
#include "app/program_state.h"

#include "platform/gl.h"
#include <lib3ds/light.h>
#include <lib3ds/matrix.h>

namespace {

const float kAspect = 1.333f;  // whatever the window's shape
const double kNearPlane = 0.1;
const double kFarPlane = 20000.0;
const int kMaxFileLights = 7;      // GL_LIGHT1 .. GL_LIGHT7; GL_LIGHT0 is the head light
const float kFramesPerMs = 0.01f;  // 10 keyframe frames per second

}  // namespace

int Scene::DrawFrame(int ms) {
    // A scene that cannot be drawn says why once, on the first frame that finds it, and is
    // then skipped silently: the fault cannot go away, and a box on every frame of its span
    // would stop the show.
    const char* fault = nullptr;
    Lib3dsNode* cameraNode = nullptr;
    Lib3dsNode* targetNode = nullptr;
    if (!file) {
        fault = "load3ds : No file loaded";
    } else {
        cameraNode = lib3ds_file_node_by_name(file, cameraName, LIB3DS_CAMERA_NODE);
        targetNode = lib3ds_file_node_by_name(file, targetName, LIB3DS_TARGET_NODE);
        if (!cameraNode)
            fault = "load3ds : No camera";
        else if (!targetNode)
            fault = "load3ds : No target";
    }
    if (fault) {
        if (!faultReported && displaySettings) displaySettings->ReportError(fault);
        faultReported = 1;
        return 0;
    }

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(cameraNode->data.camera.fov, kAspect, kNearPlane, kFarPlane);

    // The base rotation turns the file's Z-up world to GL's Y-up eye space. The head light
    // is given under it alone, so it always shines along the line of sight.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    const GLfloat headLight[4] = {0.0f, -1.0f, 0.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, headLight);

    Lib3dsMatrix view;
    lib3ds_matrix_camera(view, cameraNode->data.camera.pos, targetNode->data.target.pos,
                         cameraNode->data.camera.roll);
    glMultMatrixf(&view[0][0]);

    // File lights are directional (w = 0), from the origin towards their stored positions.
    int lightIndex = 0;
    for (Lib3dsLight* light = file->lights; light && lightIndex < kMaxFileLights;
         light = light->next, ++lightIndex) {
        const GLfloat position[4] = {light->position[0], light->position[1], light->position[2],
                                     0.0f};
        glLightfv(GL_LIGHT1 + lightIndex, GL_POSITION, position);
    }

    for (Lib3dsNode* node = file->nodes; node; node = node->next) DrawNode(node);

    // Animation runs one frame behind: this frame showed the pose evaluated by the last call.
    lib3ds_file_eval(file, static_cast<float>(ms) * kFramesPerMs);
    return 1;
}
