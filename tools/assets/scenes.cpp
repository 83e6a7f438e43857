// scenes.cpp: the show's thirteen scenes, by file name, and writing them.
#include "tools/assets/scenes.h"

#include "app/win_main.h"
#include "demo/scene_table.h"
#include "tools/assets/scene_kit.h"
#include "tools/assets/scenes_local.h"

namespace assets {

namespace {

using SceneBuilder = scene_writer::Scene (*)(int frames);

// One for each row of the show's scene table, in its order.
const SceneBuilder kBuilders[kSceneRows] = {
    BuildTitle, BuildThirtyTwo,   BuildTube,     BuildGlassTube, BuildLines,
    BuildCity,  BuildPaperPlanes, BuildJets,     BuildVoid,      BuildDouble,
    BuildWheel, BuildGears,       BuildRoulette,
};

}  // namespace

const std::vector<ShowScene>& ShowScenes() {
    static const std::vector<ShowScene> scenes = [] {
        std::vector<ShowScene> table;
        int start = 0;
        for (int i = 0; i < kSceneRows; ++i) {
            // The last scene is drawn from its start until the show stops.
            const int plays = i < kWalkedScenes ? kSceneTable[i].duration : kShowLength - start;
            table.push_back({kSceneTable[i].file, start, plays, kBuilders[i]});
            start += plays;
        }
        return table;
    }();
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
