#include "base/thread_start.h"

#include <windows.h>
#include <process.h>

#include <memory>
#include <utility>

namespace tickra {

namespace {

unsigned __stdcall Run(void* start) {
    const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(start));
    (*body)();
    return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> body, size_t stack_bytes) {
    auto start = std::make_unique<std::function<void()>>(std::move(body));
    // Through the runtime's own call, so that the thread has its per-thread state; a size is the
    // reservation, not the first commit.
    const uintptr_t thread =
        _beginthreadex(nullptr, static_cast<unsigned>(stack_bytes), Run, start.get(),
                       stack_bytes != 0 ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0, nullptr);
    if (thread == 0) {
        return false;
    }
    static_cast<void>(start.release());  // the thread frees it
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

}  // namespace tickra
