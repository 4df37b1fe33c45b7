#include "unit/fake_profile.h"

#include <algorithm>

#include "base/mbcs.h"

namespace tickra::testing {

FakeProfile::FakeProfile(std::string_view ini) {
    while (!ini.empty()) {
        const size_t end = std::min(ini.find('\n'), ini.size());
        std::string_view line = ini.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        ini.remove_prefix(std::min(end + 1, ini.size()));
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections_.emplace_back(line.substr(1, line.size() - 2), std::vector<std::string>{});
        } else if (const size_t eq = line.find('='); eq != line.npos && !sections_.empty()) {
            sections_.back().second.emplace_back(line.substr(0, eq));
        }
    }
}

std::vector<std::string> FakeProfile::SectionNames() {
    std::vector<std::string> names;
    for (const auto& [name, keys] : sections_) {
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> FakeProfile::KeyNames(const std::string& section) {
    const auto found = std::find_if(sections_.begin(), sections_.end(), [&](const auto& s) {
        return UpperCaseMbcs(s.first) == UpperCaseMbcs(section);
    });
    return found == sections_.end() ? std::vector<std::string>{} : found->second;
}

bool FakeProfile::WriteString(const std::string& section, const char* key, const char* value) {
    if (read_only) {
        return false;
    }
    writes.push_back({section, key ? std::optional<std::string>(key) : std::nullopt,
                      value ? std::optional<std::string>(value) : std::nullopt});
    return true;
}

}  // namespace tickra::testing
