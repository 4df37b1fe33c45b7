#include "unit/fake_profile.h"

#include <algorithm>
#include <cstring>

#include "base/mbcs.h"

namespace tickra::testing {

FakeProfile::FakeProfile(std::string_view ini, Cut cut) : cut_(cut) {
    while (!ini.empty()) {
        const size_t end = std::min(ini.find('\n'), ini.size());
        std::string_view line = ini.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        ini.remove_prefix(std::min(end + 1, ini.size()));
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string_view name = line.substr(1, line.size() - 2);
            sections_.push_back({std::string(name), UpperCaseMbcs(name), {}});
        } else if (const size_t eq = line.find('='); eq != line.npos && !sections_.empty()) {
            sections_.back().keys.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        }
    }
}

namespace {
bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return UpperCaseMbcs(a) == UpperCaseMbcs(b);
}
}  // namespace

const FakeProfile::Section* FakeProfile::Find(const std::string& name) const {
    const std::string folded = UpperCaseMbcs(name);
    for (const Section& s : sections_) {
        if (s.folded == folded) {
            return &s;
        }
    }
    return nullptr;
}

size_t FakeProfile::FillList(const std::vector<std::string>& names, char* buffer,
                             size_t size) const {
    size_t pos = 0;
    for (const std::string& name : names) {
        if (pos + name.size() + 2 > size) {  // the name, its NUL and the final NUL
            if (cut_ == Cut::kWine) {
                const std::string bytes = name + '\0';
                const size_t n = std::min(bytes.size(), size - pos);
                std::memcpy(buffer + pos, bytes.data(), n);
            } else if (size >= 2) {
                if (pos + 2 < size) {
                    std::memcpy(buffer + pos, name.data(), size - 2 - pos);
                }
                buffer[size - 2] = '\0';
                buffer[size - 1] = '\0';
            }
            return size - 2;
        }
        std::memcpy(buffer + pos, name.data(), name.size());
        pos += name.size();
        buffer[pos++] = '\0';
    }
    buffer[pos] = '\0';
    if (pos == 0 && size > 1) {
        buffer[1] = '\0';
    }
    return pos;
}

size_t FakeProfile::GetSectionNames(char* buffer, size_t size) {
    std::vector<std::string> names;
    for (const Section& s : sections_) {
        names.push_back(s.name);
    }
    return FillList(names, buffer, size);
}

size_t FakeProfile::GetKeyNames(const std::string& section, char* buffer, size_t size) {
    std::vector<std::string> names;
    if (const Section* s = Find(section)) {
        for (const auto& [key, value] : s->keys) {
            names.push_back(key);
        }
    }
    return FillList(names, buffer, size);
}

void FakeProfile::GetString(const std::string& section, const std::string& key, char* buffer,
                            size_t size) {
    std::string value;
    if (const Section* s = Find(section)) {
        for (const auto& [k, v] : s->keys) {
            if (SameIgnoringCase(k, key)) {
                value = v;
                break;
            }
        }
    }
    const size_t n = std::min(value.size(), size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
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
