// Writing a profile (INI) file through the Windows profile functions, as a seam for tests.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tickra {

class ProfileWriter {
public:
    virtual ~ProfileWriter() = default;

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

// code.ini as its editor writes it: what the file holds is asked just before a write, since
// another running copy may have changed it after it was read.
class ProfileFile : public ProfileWriter {
public:
    // The section names in file order, a name as often as the file has it.
    virtual std::vector<std::string> SectionNames() = 0;
    // The key names of the first section of that name, whatever its letters' case.
    virtual std::vector<std::string> KeyNames(const std::string& section) = 0;
};

// A file whose writes wait for the user's word: a code.ini that holds text but no list (another
// encoding, a damaged file) is not overwritten by the first edit unless the user agrees.
class ConfirmedWrites final : public ProfileFile {
public:
    // confirm is asked once, at the first write, unless writes are allowed from the start.
    ConfirmedWrites(ProfileFile& file, bool allowed, std::function<bool()> confirm)
        : file_(file), allowed_(allowed), confirm_(std::move(confirm)) {}

    std::vector<std::string> SectionNames() override { return file_.SectionNames(); }
    std::vector<std::string> KeyNames(const std::string& section) override {
        return file_.KeyNames(section);
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
