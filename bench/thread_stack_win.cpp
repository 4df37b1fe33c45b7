// What a waiting thread costs in resident memory, by the stack it reserves: starts COUNT threads
// through the program's own thread start, each with a reservation of KIB KiB (0: the program's
// default), lets them wait, and prints the process's resident memory before and after.
//   thread_stack.exe COUNT KIB
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "base/thread_start.h"

namespace {

SIZE_T ResidentKib() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize >> 10;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 20;
    const size_t kib = argc > 2 ? static_cast<size_t>(std::atoi(argv[2])) : 0;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE started = CreateSemaphoreW(nullptr, 0, count, nullptr);
    Sleep(500);
    const SIZE_T before = ResidentKib();
    for (int i = 0; i < count; ++i) {
        tickra::StartDetachedThread(
            [release, started] {
                ReleaseSemaphore(started, 1, nullptr);
                WaitForSingleObject(release, INFINITE);
            },
            kib << 10);
    }
    for (int i = 0; i < count; ++i) {
        WaitForSingleObject(started, INFINITE);
    }
    Sleep(500);
    const SIZE_T after = ResidentKib();
    std::printf("%d threads reserving %zu KiB: resident %zu -> %zu KiB, %.0f KiB a thread\n", count,
                kib, static_cast<size_t>(before), static_cast<size_t>(after),
                static_cast<double>(after - before) / count);
    SetEvent(release);
    return 0;
}
