// Section and key name lists as the profile functions deliver them, cut or not: reading them
// must never look past the buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "watch/watch_list_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A heap buffer of exactly the given size, so that any read past it is caught.
    std::vector<char> buffer(data, data + size);
    size_t total = 0;
    for (const std::string& name : tickra::ParseNameList(buffer.data(), buffer.size())) {
        total += name.size() + 1;
    }
    if (total > size) {
        __builtin_trap();
    }
    return 0;
}
