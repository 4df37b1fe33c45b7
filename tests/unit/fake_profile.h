// An in-memory profile file that fills buffers and answers the way the Windows profile functions
// do: section and key names found without regard to ASCII case, and a list that does not fit cut
// and answered with size - 2.
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

    size_t GetSectionNames(char* buffer, size_t size) override;
    size_t GetKeyNames(const std::string& section, char* buffer, size_t size) override;
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
        std::string folded;  // the name upper-cased, as it is looked up
        std::vector<std::pair<std::string, std::string>> keys;
    };
    const Section* Find(const std::string& name) const;
    size_t FillList(const std::vector<std::string>& names, char* buffer, size_t size) const;

    std::vector<Section> sections_;
    Cut cut_;
};

}  // namespace tickra::testing
