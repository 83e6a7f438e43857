// scenes.cpp: the show's thirteen scenes, by file name, and writing them.
#include "tools/assets/scenes.h"

#include "tools/assets/scene_kit.h"
#include "tools/assets/scenes_local.h"

namespace assets {

const std::vector<ShowScene>& ShowScenes() {
    // The last scene is drawn from 186667 ms until the show stops at 207100 ms.
    static const std::vector<ShowScene> scenes = {
        {"btitre.3ds", 6666, BuildTitle},     {"32.3ds", 6667, BuildThirtyTwo},
        {"tube.3ds", 13333, BuildTube},       {"tube1.3ds", 13334, BuildGlassTube},
        {"line.3ds", 20000, BuildLines},      {"vil.3ds", 40000, BuildCity},
        {"planne.3ds", 13333, BuildPaperPlanes}, {"planne2.3ds", 13334, BuildJets},
        {"vide.3ds", 13333, BuildVoid},       {"doble.3ds", 20000, BuildDouble},
        {"roulet.3ds", 6667, BuildWheel},     {"roulet2.3ds", 20000, BuildGears},
        {"roulet3.3ds", 20433, BuildRoulette},
    };
    return scenes;
}

int WriteScenes(const std::string& folder, std::string* error) {
    for (const ShowScene& show : ShowScenes()) {
        const scene_writer::Scene scene = show.build(SceneFrames(show.playsMs));
        std::string reason;
        if (!scene_writer::WriteScene(scene, folder + "/" + show.fileName, &reason)) {
            *error = std::string(show.fileName) + ": " + reason;
            return 0;
        }
    }
    return 1;
}

}  // namespace assets
