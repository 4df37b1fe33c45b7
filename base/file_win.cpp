#include "base/file_win.h"

#include <windows.h>

#include <vector>

#include "base/unique_handle_win.h"

namespace tickra {

std::string ReadFileBytes(const std::wstring& path, size_t max_bytes) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) > max_bytes) {
        return {};
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size())) {
        return {};
    }
    return bytes;
}

std::string CurrentDirectoryAnsi() {
    std::vector<char> buffer(MAX_PATH + 1);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    return std::string(buffer.data(), length < buffer.size() ? length : 0);
}

}  // namespace tickra
