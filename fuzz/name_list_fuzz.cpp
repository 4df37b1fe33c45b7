// Section and key name lists as the profile functions deliver them, cut or not, into buffers that
// grow: reading them must never look past a buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "watch/name_list.h"

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
    // The same bytes as a list the functions deliver from a first buffer of 2 to 257 bytes: cut
    // where they do not fit, with the final double NUL that Windows leaves, or without, as Wine.
    if (size < 1) {
        return 0;
    }
    const bool wine = (data[0] & 0x80) != 0;
    const std::vector<char> list(data + 1, data + size);
    const auto fill = [&](char* into, size_t room) -> size_t {
        std::copy_n(list.begin(), std::min(room, list.size()), into);
        if (list.size() + 2 <= room) {
            return list.size();
        }
        if (!wine) {
            into[room - 2] = into[room - 1] = '\0';
        }
        return room - 2;
    };
    total = 0;
    for (const std::string& name : tickra::ReadNameList(fill, 2 + (data[0] & 0x7F) * 2)) {
        total += name.size() + 1;
    }
    if (total > list.size() + 1) {
        __builtin_trap();
    }
    return 0;
}
