// scene.h: one 3DS scene of the show: loading, frame set-up and mesh node rendering.
#pragma once

#include <lib3ds/file.h>
#include <lib3ds/node.h>

class Scene {
public:
    char path[256];          // "data\" + the file name given to Load
    Lib3dsFile* file;        // owned; null when no file is loaded
    const char* cameraName;  // name of the first camera (points into file)
    char targetName[256];    // the target node's name, "Camera01"
    int blending;            // blend state last recorded by the list compiler
    int faultReported;       // 1 once DrawFrame has shown why the scene cannot be drawn

    Scene();
    // Releases the file. The show keeps its scenes to the end; display lists are left to
    // the rendering context.
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Loads data\name, finds the camera, preloads the material textures and evaluates
    // frame 0. 1 when the scene is ready to draw; 0 after an "Error !" box.
    int Load(const char* name);
    // Asks the texture registry for every material's first texture map; returns 1.
    int PreloadTextures();
    // Draws the pose evaluated last, then evaluates the animation at ms (scene time).
    // 1 when drawn; 0 when the scene cannot be drawn (reported once).
    int DrawFrame(int ms);
    // Draws node's subtree, then node itself through its display list.
    int DrawNode(Lib3dsNode* node);
};
