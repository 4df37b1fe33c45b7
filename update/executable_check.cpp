#include "update/executable_check.h"

#include <cstdint>

namespace tickra {

namespace {

uint32_t Little(std::string_view bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

constexpr uint32_t kMachineAmd64 = 0x8664;
constexpr uint32_t kExecutableImage = 0x0002;
constexpr uint32_t kDll = 0x2000;

}  // namespace

bool IsWindowsExecutable(std::string_view bytes) {
    if (bytes.size() < 0x40 || bytes.substr(0, 2) != "MZ") {
        return false;
    }
    const uint32_t pe = Little(bytes, 0x3C, 4);
    // The signature and the file header (machine at +4, characteristics at +22) must be there.
    if (pe > bytes.size() || bytes.size() - pe < 24) {
        return false;
    }
    if (bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
        return false;
    }
    const uint32_t machine = Little(bytes, pe + 4, 2);
    const uint32_t characteristics = Little(bytes, pe + 22, 2);
    return machine == kMachineAmd64 && (characteristics & kExecutableImage) != 0 &&
           (characteristics & kDll) == 0;
}

}  // namespace tickra
