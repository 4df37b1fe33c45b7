// code.ini as any bytes, read in one pass, then asked for its lists and values into buffers of
// every size the input names: nothing may be written or read past a buffer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "watch/profile_text.h"
#include "watch/watch_list_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes choose a buffer size, the rest is the file.
    const size_t buffer_size = 2 + (data[0] | data[1] << 8) % 1024;
    tickra::ProfileText text(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));
    std::vector<char> buffer(buffer_size);
    if (text.GetSectionNames(buffer.data(), buffer.size()) >= buffer_size) {
        __builtin_trap();
    }
    for (const std::string& section : tickra::ParseNameList(buffer.data(), buffer.size())) {
        std::vector<char> keys(buffer_size);
        text.GetKeyNames(section, keys.data(), keys.size());
        for (const std::string& key : tickra::ParseNameList(keys.data(), keys.size())) {
            std::vector<char> value(buffer_size);
            text.GetString(section, key, value.data(), value.size());
        }
    }
    tickra::LoadWatchList(text);
    return 0;
}
