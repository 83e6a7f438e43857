// message_queue.h: the thread's message queue, with the order in which Windows hands
// messages out: posted messages first, then window-system input, then WM_QUIT.
#pragma once

#include <cstddef>
#include <deque>

#include "platform/win32.h"

class MessageQueue {
public:
    // A message posted by the program (PostMessageA).
    void Post(const MSG& message);
    // Window-system input: key presses, close requests.
    void PostInput(const MSG& message);
    // Marks WM_QUIT as due once no posted message or input is waiting.
    void PostQuit(int exitCode);
    // Takes the next message; false when none is waiting.
    bool Take(MSG* message);
    std::size_t Size() const;
    void Clear();

private:
    std::deque<MSG> posted_;
    std::deque<MSG> input_;
    bool quitPending_ = false;
    int quitCode_ = 0;
};

// The one queue of the program's thread.
MessageQueue& ThreadMessageQueue();
