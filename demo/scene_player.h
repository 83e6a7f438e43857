// scene_player.h: the one effect of the show: thirteen scenes and the picture flashes.
#pragma once

#include "timeline/effect.h"

class Scene;

// Sets the OpenGL state the whole show starts from (also for tests and benchmarks that
// draw scenes without the player).
void SetShowBaselineState();

class ScenePlayer : public Effect {
public:
    static const int kMaxScenes = 255;

    Scene* scenes[kMaxScenes];  // owned
    int durations[kMaxScenes];  // ms
    int sceneCount;

    ScenePlayer();
    ~ScenePlayer() override;
    int Render(int elapsed, int start) override;
    int Init() override;

    // Draws picture n (1 to 24) over the whole viewport; returns 1.
    int DrawPicture(int n);
};
