#include "watch/profile_file_win.h"

#include <windows.h>

namespace tickra {

void PrivateProfileFile::GetSectionNames(char* buffer, size_t size) {
    GetPrivateProfileSectionNamesA(buffer, static_cast<DWORD>(size), path_.c_str());
}

void PrivateProfileFile::GetKeyNames(const std::string& section, char* buffer, size_t size) {
    GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer, static_cast<DWORD>(size),
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
