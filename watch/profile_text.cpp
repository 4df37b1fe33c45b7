#include "watch/profile_text.h"

#include <algorithm>

#include "base/mbcs.h"

namespace tickra {

namespace {

// A blank as the profile functions take it: white space and ^Z (a DOS end of file). None of
// these bytes is ever the second byte of a GB2312 character.
bool Blank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A';
}

std::string_view TrimStart(std::string_view text) {
    while (!text.empty() && Blank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && Blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view Trim(std::string_view text) {
    return TrimEnd(TrimStart(text));
}

// The functions keep names and values as C strings: a NUL byte ends them (a UTF-16 file without a
// byte-order mark, read as ANSI, has one after every letter).
std::string AsCString(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

// The last c of the text, stepping over double-byte characters; npos when there is none.
size_t FindLast(std::string_view text, char c) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; (i = FindMbcs(text, c, i)) != std::string_view::npos; ++i) {
        found = i;
    }
    return found;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperCaseMbcs(a) == UpperCaseMbcs(b);
}

}  // namespace

ProfileText::ProfileText(std::string_view text) {
    bool in_section = false;      // the lines before the first section belong to none
    bool named_key_last = false;  // the last key kept has a name (or there is none yet)
    bool any_key = false;
    while (!text.empty()) {
        // A line ends at a line feed or a carriage return, alone or in a run.
        const size_t end = std::min(text.find_first_of("\r\n"), text.size());
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(text.find_first_not_of("\r\n", end), text.size()));
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            if (const size_t close = FindLast(line, ']'); close != std::string_view::npos) {
                std::string name = AsCString(Trim(line.substr(1, close - 1)));
                in_section = !name.empty();
                if (in_section) {
                    first_of_name_.emplace(UpperCaseMbcs(name), sections_.size());
                    sections_.push_back({std::move(name), {}});
                }
                any_key = false;
                continue;
            }
        }
        if (!in_section) {
            continue;
        }
        Key key{AsCString(line), std::nullopt};
        if (const size_t eq = FindMbcs(line, '='); eq != std::string_view::npos) {
            key.name = AsCString(TrimEnd(line.substr(0, eq)));
            key.value = AsCString(TrimStart(line.substr(eq + 1)));
        }
        // Lines of no name after one of no name are one blank entry.
        if (!key.name.empty() || !any_key || named_key_last) {
            named_key_last = !key.name.empty();
            any_key = true;
            sections_.back().keys.push_back(std::move(key));
        }
    }
}

const ProfileText::Section* ProfileText::Find(std::string_view name) const {
    const auto found = first_of_name_.find(UpperCaseMbcs(name));
    return found == first_of_name_.end() ? nullptr : &sections_[found->second];
}

std::vector<std::string_view> ProfileText::KeyNames(const Section& section) {
    std::vector<std::string_view> names;
    for (const Key& key : section.keys) {
        // Comments and lines without "=" are no keys; "=value" lists an empty name, and when it
        // comes first, the list is taken for no list at all.
        if ((key.name.empty() || key.name.front() != ';') && key.value) {
            names.emplace_back(key.name);
        }
    }
    if (!names.empty() && names.front().empty()) {
        names.clear();
    }
    return names;
}

std::string_view ProfileText::Value(std::string_view section, std::string_view key) const {
    std::string_view value;
    const std::string_view wanted_key = Trim(key);
    const Section* found = Find(Trim(section));
    if (!wanted_key.empty() && found != nullptr) {
        for (const Key& k : found->keys) {
            if (SameIgnoringCase(k.name, wanted_key)) {
                value = k.value ? std::string_view(*k.value) : std::string_view();
                break;
            }
        }
    }
    // A value in quotes is given without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace tickra
