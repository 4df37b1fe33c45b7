// code.ini read in one pass: the file's text parsed once, answering as the Windows profile
// functions do (Wine's reading of a profile file, which is what the tests can hold it to). A file
// written less than two seconds ago is read again by Wine at every profile call, so a list read
// call by call costs as many readings of the whole file as it has keys.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "watch/profile_file.h"

namespace tickra {

class ProfileText final : public ProfileFile {
public:
    // text: the file in the system's ANSI code page, without a byte-order mark.
    explicit ProfileText(std::string_view text);

    size_t GetSectionNames(char* buffer, size_t size) override;
    size_t GetKeyNames(const std::string& section, char* buffer, size_t size) override;
    void GetString(const std::string& section, const std::string& key, char* buffer,
                   size_t size) override;
    // Read only: writes go through the profile functions.
    bool WriteString(const std::string&, const char*, const char*) override { return false; }

private:
    struct Key {
        std::string name;
        std::optional<std::string> value;  // none: a line without "="
    };
    struct Section {
        std::string name;  // empty: the lines before the first section
        std::vector<Key> keys;
    };

    // The first section of each name, upper-cased: a list of thousands is looked up as often.
    const Section* Find(std::string_view name) const;

    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> first_of_name_;
};

}  // namespace tickra
