// Work handed back to a window's thread from any thread. The tasks wait here, under a lock; the
// window is only told to look, by a message that carries nothing. Any program can post to our
// windows, so a forged or broadcast message can at most run what is already waiting.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

namespace tickra {

class Mailbox {
public:
    // window: whose thread runs the tasks; message: the private message it answers with
    // RunPending.
    Mailbox(HWND window, UINT message) : window_(window), message_(message) {}
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;

    // Any thread. False when the mailbox is closed; the task is then freed unrun.
    bool Post(std::function<void()> task);
    // The window's thread: runs, in order, the tasks that were waiting when it was called. A task
    // that closes the mailbox stops the rest.
    void RunPending();
    // The window's thread, at WM_DESTROY or when the owner ends: takes nothing more and frees what
    // waits unrun.
    void Close();
    bool closed() const;

private:
    mutable std::mutex mutex_;
    HWND window_;
    UINT message_;
    std::deque<std::function<void()>> tasks_;
    bool closed_ = false;
    bool signalled_ = false;  // a message is on its way: one is enough for any number of tasks
};

}  // namespace tickra
