// The busy bytes and blocks in every heap of the process: the C runtime's and the system
// libraries'. For the benchmarks that tell where memory goes.
#pragma once

#include <windows.h>

namespace tickra {

struct HeapFigures {
    unsigned long long bytes = 0, blocks = 0;
    unsigned heaps = 0;
};

inline HeapFigures WalkHeaps() {
    HeapFigures figures;
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) {
            continue;
        }
        ++figures.heaps;
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

}  // namespace tickra
