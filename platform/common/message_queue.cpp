// message_queue.cpp: the thread's message queue.
#include "platform/common/message_queue.h"

void MessageQueue::Post(const MSG& message) { posted_.push_back(message); }

void MessageQueue::PostInput(const MSG& message) { input_.push_back(message); }

void MessageQueue::PostQuit(int exitCode) {
    quitPending_ = true;
    quitCode_ = exitCode;
}

bool MessageQueue::Take(MSG* message) {
    std::deque<MSG>* source = !posted_.empty() ? &posted_ : !input_.empty() ? &input_ : nullptr;
    if (source) {
        *message = source->front();
        source->pop_front();
        return true;
    }
    if (quitPending_) {
        quitPending_ = false;
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(quitCode_);
        return true;
    }
    return false;
}

std::size_t MessageQueue::Size() const {
    return posted_.size() + input_.size() + (quitPending_ ? 1 : 0);
}

void MessageQueue::Clear() {
    posted_.clear();
    input_.clear();
    quitPending_ = false;
    quitCode_ = 0;
}

MessageQueue& ThreadMessageQueue() {
    static MessageQueue queue;
    return queue;
}
