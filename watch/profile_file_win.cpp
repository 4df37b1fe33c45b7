#include "watch/profile_file_win.h"

#include <windows.h>

#include <algorithm>

#include "base/unique_handle_win.h"

namespace tickra {

bool PrivateProfileFile::HoldsText() const {
    const UniqueFile file(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char start[4096];
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), start, sizeof(start), &read, nullptr)) {
        return false;
    }
    return std::any_of(start, start + read,
                       [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; });
}

size_t PrivateProfileFile::GetSectionNames(char* buffer, size_t size) {
    return GetPrivateProfileSectionNamesA(buffer, static_cast<DWORD>(size), path_.c_str());
}

size_t PrivateProfileFile::GetKeyNames(const std::string& section, char* buffer, size_t size) {
    return GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer, static_cast<DWORD>(size),
                                    path_.c_str());
}

void PrivateProfileFile::GetString(const std::string& section, const std::string& key, char* buffer,
                                   size_t size) {
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, static_cast<DWORD>(size),
                             path_.c_str());
}

bool PrivateProfileFile::WriteString(const std::string& section, const char* key,
                                     const char* value) {
    return WritePrivateProfileStringA(section.c_str(), key, value, path_.c_str()) != FALSE;
}

}  // namespace tickra
