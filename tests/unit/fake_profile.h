// An in-memory profile file that fills buffers the way the Windows profile functions do,
// including how a list that does not fit is cut.
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
    enum class Cut {
        kWindows,  // the last name is cut short and the list still ends in a double NUL
        kWine,     // the buffer is filled to its last byte; no final double NUL
    };

    // ini: "[section]" lines and "key=value" lines. An empty text stands for a missing file.
    explicit FakeProfile(std::string_view ini, Cut cut = Cut::kWindows);

    void GetSectionNames(char* buffer, size_t size) override;
    void GetKeyNames(const std::string& section, char* buffer, size_t size) override;
    void GetString(const std::string& section, const std::string& key, char* buffer,
                   size_t size) override;
    bool WriteString(const std::string& section, const char* key, const char* value) override;

    struct Write {
        std::string section;
        std::optional<std::string> key, value;
        bool operator==(const Write&) const = default;
    };
    std::vector<Write> writes;
    bool read_only = false;  // every write fails

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    const Section* Find(const std::string& name) const;
    void FillList(const std::vector<std::string>& names, char* buffer, size_t size) const;

    std::vector<Section> sections_;
    Cut cut_;
};

}  // namespace tickra::testing
