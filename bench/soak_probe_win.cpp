// Linked into the soak build of Tickra only: counts the bytes the program holds through operator
// new, the WinInet handles it holds open, and what every heap of the process holds, and writes
// them every TICKRA_PROBE_SECONDS (default 60) as a line of soak_probe.txt in the working folder.
// The long soak (bench/wine_soak.py) sets each line beside the process's resident memory, so a
// growth shows as ours, as another heap's (the system libraries'), or as neither.
//
// The WinInet calls reach the counters through the linker's --wrap of their import pointers, so
// the product code is the same as in Tickra.exe.
#include <windows.h>
#include <wininet.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "bench/heap_walk_win.h"

using tickra::HeapFigures;
using tickra::WalkHeaps;

namespace {

std::atomic<long long> g_new_bytes{0};
std::atomic<long long> g_new_blocks{0};
std::atomic<long> g_internet_handles{0};

void* Allocate(size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (block != nullptr) {
        g_new_bytes += static_cast<long long>(_msize(block));
        ++g_new_blocks;
    }
    return block;
}

void Free(void* block) {
    if (block != nullptr) {
        g_new_bytes -= static_cast<long long>(_msize(block));
        --g_new_blocks;
        std::free(block);
    }
}

void* AllocateOrThrow(size_t size) {
    for (;;) {
        if (void* block = Allocate(size)) {
            return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) {
            throw std::bad_alloc();
        }
        handler();
    }
}

DWORD WINAPI Report(void*) {
    char text[32] = {};
    const DWORD got = GetEnvironmentVariableA("TICKRA_PROBE_SECONDS", text, sizeof(text));
    const long seconds = got > 0 && got < sizeof(text) ? std::atol(text) : 60;
    const DWORD period = static_cast<DWORD>((seconds > 0 ? seconds : 60) * 1000);
    const ULONGLONG start = GetTickCount64();
    if (FILE* file = std::fopen("soak_probe.txt", "w")) {
        std::fputs("seconds new_bytes new_blocks heap_bytes heap_blocks heaps internet_handles\n",
                   file);
        std::fclose(file);
    }
    for (;;) {
        Sleep(period);
        const HeapFigures heap = WalkHeaps();
        FILE* file = std::fopen("soak_probe.txt", "a");
        if (file == nullptr) {
            continue;
        }
        std::fprintf(file, "%llu %lld %lld %llu %llu %u %ld\n", (GetTickCount64() - start) / 1000,
                     g_new_bytes.load(), g_new_blocks.load(), heap.bytes, heap.blocks, heap.heaps,
                     g_internet_handles.load());
        std::fclose(file);
    }
}

// Started before WinMain; it holds nothing of the program's.
[[maybe_unused]] const bool g_started = [] {
    if (HANDLE thread = CreateThread(nullptr, 0, Report, nullptr, 0, nullptr)) {
        CloseHandle(thread);
    }
    return true;
}();

HINTERNET Counted(HINTERNET handle) {
    if (handle != nullptr) {
        ++g_internet_handles;
    }
    return handle;
}

}  // namespace

void* operator new(size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Free(block);
}
void operator delete[](void* block) noexcept {
    Free(block);
}
void operator delete(void* block, size_t) noexcept {
    Free(block);
}
void operator delete[](void* block, size_t) noexcept {
    Free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Free(block);
}

// The import pointers the linker hands our calls to (-Wl,--wrap=__imp_NAME).
extern "C" {
extern decltype(&InternetOpenA) __real___imp_InternetOpenA;
extern decltype(&InternetConnectA) __real___imp_InternetConnectA;
extern decltype(&HttpOpenRequestA) __real___imp_HttpOpenRequestA;
extern decltype(&InternetCloseHandle) __real___imp_InternetCloseHandle;

static HINTERNET WINAPI CountedOpen(LPCSTR agent, DWORD access, LPCSTR proxy, LPCSTR bypass,
                                    DWORD flags) {
    return Counted(__real___imp_InternetOpenA(agent, access, proxy, bypass, flags));
}
static HINTERNET WINAPI CountedConnect(HINTERNET session, LPCSTR server, INTERNET_PORT port,
                                       LPCSTR user, LPCSTR password, DWORD service, DWORD flags,
                                       DWORD_PTR context) {
    return Counted(__real___imp_InternetConnectA(session, server, port, user, password, service,
                                                 flags, context));
}
static HINTERNET WINAPI CountedRequest(HINTERNET connection, LPCSTR verb, LPCSTR object,
                                       LPCSTR version, LPCSTR referrer, LPCSTR* accept, DWORD flags,
                                       DWORD_PTR context) {
    return Counted(__real___imp_HttpOpenRequestA(connection, verb, object, version, referrer,
                                                 accept, flags, context));
}
static BOOL WINAPI CountedClose(HINTERNET handle) {
    const BOOL closed = __real___imp_InternetCloseHandle(handle);
    if (closed) {
        --g_internet_handles;
    }
    return closed;
}

decltype(&InternetOpenA) __wrap___imp_InternetOpenA = CountedOpen;
decltype(&InternetConnectA) __wrap___imp_InternetConnectA = CountedConnect;
decltype(&HttpOpenRequestA) __wrap___imp_HttpOpenRequestA = CountedRequest;
decltype(&InternetCloseHandle) __wrap___imp_InternetCloseHandle = CountedClose;
}
