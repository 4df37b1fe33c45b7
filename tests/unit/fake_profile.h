// An in-memory code.ini for the editor: it lists what its text holds, section and key names found
// without regard to ASCII case, and records the writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "watch/profile_file.h"

namespace tickra::testing {

class FakeProfile : public ProfileFile {
public:
    // ini: "[section]" lines and "key=value" lines. An empty text stands for a missing file.
    explicit FakeProfile(std::string_view ini);

    std::vector<std::string> SectionNames() override;
    std::vector<std::string> KeyNames(const std::string& section) override;
    bool WriteString(const std::string& section, const char* key, const char* value) override;

    struct Write {
        std::string section;
        std::optional<std::string> key, value;
        bool operator==(const Write&) const = default;
    };
    std::vector<Write> writes;
    bool read_only = false;  // every write fails

private:
    std::vector<std::pair<std::string, std::vector<std::string>>> sections_;  // names, key names
};

}  // namespace tickra::testing
