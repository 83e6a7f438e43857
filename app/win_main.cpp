// win_main.cpp: the program's entry point: start-up, main loop and shutdown.
#include "app/display_settings.h"
#include "app/main_window_proc.h"
#include "app/program_state.h"
#include "app/settings_dialog.h"
#include "app/win_main.h"
#include "audio/music_track.h"
#include "demo/scene_player.h"
#include "gfx/texture_registry.h"
#include "platform/win32.h"
#include "timeline/effect_sequencer.h"

namespace {

// The window's handles, held from the window's opening to shutdown.
struct OutputWindow {
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
};

// Draws one frame, or ends the show once its length has passed (that frame is drawn).
void DrawFrame(const OutputWindow& output) {
    DWORD now = timeGetTime();
    int elapsed = static_cast<int>(now - sequencer->startTime);
    if (elapsed > kShowLength) {
        musicTrack->Stop();
        quitFlag = 1;
    }
    sequencer->RenderFrame(now);
    SwapBuffers(output.deviceContext);
}

// One message per pass; a frame only in a pass that found the queue empty.
void RunMainLoop(const OutputWindow& output) {
    while (quitFlag == 0) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitFlag = 1;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            DrawFrame(output);
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    displaySettings = new DisplaySettings();
    // Opened before anything is shown; the track reports its own errors and start-up goes on.
    musicTrack = new MusicTrack(kSoundtrackFile, SoundType::MpegStream);

    // The dialog's outcome is in quitFlag and displaySettings->fullScreen.
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsDialogProc, 0);
    if (quitFlag == 1) return 0;

    OutputWindow output;
    if (!displaySettings->OpenWindow(instance, MainWindowProc, &output.window,
                                     &output.deviceContext, &output.renderingContext)) {
        return 0;
    }

    sequencer = new EffectSequencer();
    sequencer->Clear();
    textureRegistry = new TextureRegistry();
    // The push runs the player's Init, which loads every scene and picture before the
    // clock starts.
    sequencer->Push(new ScenePlayer(), 0, kPlayerSpanEnd);

    // Elapsed time 0 is taken just before playback begins.
    sequencer->startTime = timeGetTime();
    if (!musicTrack->Play()) return 0;

    RunMainLoop(output);

    displaySettings->ReleaseWindow(output.window, output.deviceContext, output.renderingContext);
    musicTrack->Close();
    delete musicTrack;
    musicTrack = nullptr;
    delete displaySettings;
    displaySettings = nullptr;
    return 0;
}
