// The profile (INI) file functions the watch list is kept with, as a seam for tests.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tickra {

class ProfileFile {
public:
    virtual ~ProfileFile() = default;

    // Fills buffer with the section names as a double-NUL-terminated list, cut to fit the buffer,
    // and returns what GetPrivateProfileSectionNamesA returns: the bytes stored without the final
    // NUL, or size - 2 when the list was cut.
    virtual size_t GetSectionNames(char* buffer, size_t size) = 0;
    // The key names of one section, delivered and counted the same way.
    virtual size_t GetKeyNames(const std::string& section, char* buffer, size_t size) = 0;
    // The value of one key, NUL-terminated and cut to the buffer; empty when missing.
    virtual void GetString(const std::string& section, const std::string& key, char* buffer,
                           size_t size) = 0;
    // Writes one value; a null key removes the whole section. False when the file could not be
    // written (read-only, locked, a full disk).
    virtual bool WriteString(const std::string& section, const char* key, const char* value) = 0;
    // Writes a new stock's keys in this order, the same lines as one write a key. A section of
    // that name the file holds already (another copy may have added it) keeps its other keys.
    using Keys = std::vector<std::pair<std::string, std::string>>;
    virtual bool WriteNewSection(const std::string& section, const Keys& keys) {
        for (const auto& [key, value] : keys) {
            if (!WriteString(section, key.c_str(), value.c_str())) {
                return false;
            }
        }
        return true;
    }
};

// A file whose writes wait for the user's word: a code.ini that holds text but no list (another
// encoding, a damaged file) is not overwritten by the first edit unless the user agrees.
class ConfirmedWrites final : public ProfileFile {
public:
    // confirm is asked once, at the first write, unless writes are allowed from the start.
    ConfirmedWrites(ProfileFile& file, bool allowed, std::function<bool()> confirm)
        : file_(file), allowed_(allowed), confirm_(std::move(confirm)) {}

    size_t GetSectionNames(char* buffer, size_t size) override {
        return file_.GetSectionNames(buffer, size);
    }
    size_t GetKeyNames(const std::string& section, char* buffer, size_t size) override {
        return file_.GetKeyNames(section, buffer, size);
    }
    void GetString(const std::string& section, const std::string& key, char* buffer,
                   size_t size) override {
        file_.GetString(section, key, buffer, size);
    }
    bool WriteString(const std::string& section, const char* key, const char* value) override {
        return Allowed() && file_.WriteString(section, key, value);
    }
    bool WriteNewSection(const std::string& section, const Keys& keys) override {
        return Allowed() && file_.WriteNewSection(section, keys);
    }

private:
    bool Allowed() {
        if (!allowed_) {
            allowed_ = confirm_ && confirm_();
        }
        return allowed_;
    }

    ProfileFile& file_;
    bool allowed_;
    std::function<bool()> confirm_;
};

}  // namespace tickra
