// What one transfer through Tickra's HTTP client leaves behind in the process's heaps under Wine:
// N requests for new addresses to HOST, after a few to warm up, and the bytes and blocks in use in
// every heap before and after. bench/wine_bench.py runs it against a server that answers HTTP/1.0
// and one that answers HTTP/1.1.
// Usage: wininet_heap HOST:PORT N
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "net/http_client_win.h"

namespace {

struct HeapFigures {
    long long bytes = 0, blocks = 0;
};

HeapFigures WalkHeaps() {
    HeapFigures figures;
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        HeapLock(heaps[i]);
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                figures.bytes += entry.cbData;
                ++figures.blocks;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: wininet_heap HOST:PORT N\n");
        return 2;
    }
    const std::string host = argv[1];
    const int count = std::atoi(argv[2]);
    int serial = 0;
    auto transfer = [&] {
        // A new address each time, as the quote and the chart have.
        tickra::HttpRequest("", "GET", host, "/" + std::to_string(++serial) + "?0600000");
    };
    for (int i = 0; i < 10; ++i) {
        transfer();
    }
    const HeapFigures before = WalkHeaps();
    for (int i = 0; i < count; ++i) {
        transfer();
    }
    const HeapFigures after = WalkHeaps();
    std::printf("%d transfers: %+.1f bytes and %+.2f blocks per transfer\n", count,
                static_cast<double>(after.bytes - before.bytes) / count,
                static_cast<double>(after.blocks - before.blocks) / count);
    return 0;
}
