// scene_fuzzer.cpp: any bytes as a 3DS scene through Scene::Load and two Scene::DrawFrame
// calls, on the headless layer's real GL context.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/display_settings.h"
#include "app/main_window_proc.h"
#include "app/program_state.h"
#include "fuzz_input.h"
#include "platform/headless/headless.h"
#include "scene/scene.h"

#include "platform/gl.h"

namespace {

// The scene reads data\fuzz.3ds from the working directory, which is this scratch folder
// only while an input runs: libFuzzer keeps its own paths relative to where it started.
std::string folder;

// The show never deletes its lists; a fuzzer making thousands of scenes must.
void DeleteLists(Lib3dsNode* node) {
    for (; node; node = node->next) {
        DeleteLists(node->childs);
        if (node->type == LIB3DS_OBJECT_NODE && node->user.d) glDeleteLists(node->user.d, 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/kelvo_scene_fuzz_XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    folder = pattern;
    if (mkdir((folder + "/data").c_str(), 0700) != 0) std::abort();
    headless::SetMessageBoxEcho(false);
    displaySettings = new DisplaySettings();
    displaySettings->fullScreen = 0;
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    if (!displaySettings->OpenWindow(GetModuleHandleA(nullptr), MainWindowProc, &window,
                                     &deviceContext, &renderingContext))
        std::abort();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!WriteFuzzInput(folder + "/data/fuzz.3ds", data, size)) return 0;
    const int startDirectory = open(".", O_RDONLY);
    if (startDirectory < 0 || chdir(folder.c_str()) != 0) std::abort();
    Scene* scene = new Scene();
    if (scene->Load("fuzz.3ds")) {
        scene->DrawFrame(0);
        scene->DrawFrame(1234);
        DeleteLists(scene->file->nodes);
    }
    delete scene;
    if (fchdir(startDirectory) != 0) std::abort();
    close(startDirectory);
    headless::ClearRecords();
    return 0;
}
