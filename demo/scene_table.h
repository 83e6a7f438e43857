// scene_table.h: the show's thirteen scenes, in the order they play, and how long each plays.
#pragma once

struct SceneRow {
    const char* file;
    int duration;  // ms
};

// The timeline: each scene plays for its duration after the one before it.
inline constexpr SceneRow kSceneTable[] = {
    {"btitre.3ds", 6666},   {"32.3ds", 6667},     {"tube.3ds", 13333},   {"tube1.3ds", 13334},
    {"line.3ds", 20000},    {"vil.3ds", 40000},   {"planne.3ds", 13333}, {"planne2.3ds", 13334},
    {"vide.3ds", 13333},    {"doble.3ds", 20000}, {"roulet.3ds", 6667},  {"roulet2.3ds", 20000},
    {"roulet3.3ds", 13333},
};
inline constexpr int kSceneRows = sizeof kSceneTable / sizeof kSceneTable[0];
// Selection walks the first 12 durations only, so the last scene plays on to the show's end.
inline constexpr int kWalkedScenes = 12;
