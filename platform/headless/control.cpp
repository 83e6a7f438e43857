// control.cpp: state, call log and failure injection of the headless layer.
#include <iostream>

#include "platform/common/message_queue.h"
#include "platform/headless/headless_local.h"

namespace headless {
namespace detail {

State& Get() {
    static State state = [] {
        State initial;
        initial.desktopMode.dmSize = sizeof(DEVMODEA);
        initial.desktopMode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        initial.desktopMode.dmPelsWidth = 640;
        initial.desktopMode.dmPelsHeight = 480;
        initial.desktopMode.dmBitsPerPel = 16;
        return initial;
    }();
    return state;
}

void Log(const std::string& entry) {
    if (Get().logging) Get().log.push_back(entry);
}

bool ShouldFail(const std::string& name) {
    auto found = Get().failures.find(name);
    if (found == Get().failures.end() || found->second == 0) return false;
    if (found->second > 0) --found->second;
    return true;
}

}  // namespace detail

using detail::Get;

void Reset() {
    detail::ResetSound();
    detail::DestroyAllWindows();
    ThreadMessageQueue().Clear();
    detail::State& state = Get();
    state.clock = 0;
    state.framesSwapped = 0;
    state.frameHandler = nullptr;
    state.logging = true;
    state.echoBoxes = true;
    state.failures.clear();
    state.log.clear();
    state.boxes.clear();
    state.soundEvents.clear();
    state.classes.clear();
    state.dialogAnswers.clear();
    state.dialogs.clear();
    state.lastDialog = detail::Dialog{};
    state.refuseFullScreen = false;
    state.lowestFullScreenBits = 0;
    state.cursorCounter = 0;
    state.frameLeft = state.frameTop = state.frameRight = state.frameBottom = 0;
    state.clientWidth = state.clientHeight = 0;
    state.colourBits = 16;
    SetDesktopMode(640, 480, 16);
    SetFileLookupTime(0);
    detail::ResetDisplayMode();
}

void SetClock(DWORD ms) { Get().clock = ms; }
DWORD Clock() { return Get().clock; }

void SetFrameHandler(std::function<void(int)> handler) { Get().frameHandler = std::move(handler); }

void FailCall(const std::string& name, int times) { Get().failures[name] = times; }

void ClearRecords() {
    Get().log.clear();
    Get().boxes.clear();
    Get().soundEvents.clear();
}

void SetMessageBoxEcho(bool enabled) { Get().echoBoxes = enabled; }

void SetCallLogging(bool enabled) { Get().logging = enabled; }

const std::vector<std::string>& CallLog() { return Get().log; }

int CallCount(const std::string& name) {
    int count = 0;
    for (const std::string& entry : Get().log) {
        if (entry.compare(0, name.size(), name) != 0) continue;
        if (entry.size() == name.size() || entry[name.size()] == '(') ++count;
    }
    return count;
}

const std::vector<RecordedBox>& MessageBoxes() { return Get().boxes; }

void SetWindowFrame(int left, int top, int right, int bottom) {
    detail::State& state = Get();
    state.frameLeft = left;
    state.frameTop = top;
    state.frameRight = right;
    state.frameBottom = bottom;
}

void SetClientSize(int width, int height) {
    Get().clientWidth = width > 0 && height > 0 ? width : 0;
    Get().clientHeight = width > 0 && height > 0 ? height : 0;
}

void SetColourBits(int bits) { Get().colourBits = bits == 24 ? 24 : 16; }

HWND MainWindow() { return Get().mainWindow; }

void SetDialogAnswers(const std::vector<int>& commandIds) { Get().dialogAnswers = commandIds; }
POINT LastDialogPosition() { return Get().lastDialog.position; }
bool LastDialogTopmost() { return Get().lastDialog.topmost; }
int LastDialogCheck(int controlId) {
    auto found = Get().lastDialog.checks.find(controlId);
    return found == Get().lastDialog.checks.end() ? BST_UNCHECKED : found->second;
}

const std::vector<SoundEvent>& SoundEvents() { return Get().soundEvents; }
void RecordSoundEvent(const std::string& call) { Get().soundEvents.push_back({call, Get().clock}); }

}  // namespace headless
