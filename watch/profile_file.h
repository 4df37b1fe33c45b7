// The profile (INI) file functions the watch list is kept with, as a seam for tests.
#pragma once

#include <cstddef>
#include <string>

namespace tickra {

class ProfileFile {
public:
    virtual ~ProfileFile() = default;

    // Fills buffer with the section names as a double-NUL-terminated list, cut to fit the buffer
    // as GetPrivateProfileSectionNamesA does.
    virtual void GetSectionNames(char* buffer, size_t size) = 0;
    // The key names of one section, delivered the same way.
    virtual void GetKeyNames(const std::string& section, char* buffer, size_t size) = 0;
    // The value of one key, NUL-terminated and cut to the buffer; empty when missing.
    virtual void GetString(const std::string& section, const std::string& key, char* buffer,
                           size_t size) = 0;
    // Writes one value; a null key removes the whole section. False when the file could not be
    // written (read-only, locked, a full disk).
    virtual bool WriteString(const std::string& section, const char* key, const char* value) = 0;
};

}  // namespace tickra
