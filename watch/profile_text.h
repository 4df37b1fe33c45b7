// code.ini read in one pass: the file's text parsed once into its sections and keys as the Windows
// profile functions see them (Wine's reading of a profile file, which is what the tests can hold
// it to). A file written less than two seconds ago is read again by Wine at every profile call, so
// a list read call by call costs as many readings of the whole file as it has keys.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tickra {

class ProfileText {
public:
    // text: the file in the system's ANSI code page, without a byte-order mark.
    explicit ProfileText(std::string_view text);

    struct Key {
        std::string name;
        std::optional<std::string> value;  // none: a line without "="
    };
    struct Section {
        std::string name;
        std::vector<Key> keys;  // every line of the section, comments too, in file order
    };

    // The sections in file order, a name as often as the file has it. The lines before the first
    // section and a section without a name belong to none: the functions neither list nor find
    // them.
    const std::vector<Section>& sections() const { return sections_; }
    // The first section of the name, whatever the case of its letters, as the functions find it.
    const Section* Find(std::string_view name) const;
    // The key names the functions list for a section, in file order, an empty one ("=value") too.
    static std::vector<std::string_view> KeyNames(const Section& section);
    // The value the functions give for a key, uncut: the first key of its name in the first
    // section of its name (both trimmed, whatever their case), without enclosing quotes; empty when
    // there is none.
    std::string_view Value(std::string_view section, std::string_view key) const;

private:
    std::vector<Section> sections_;
    // The first section of each name, upper-cased: a list of thousands is looked up as often.
    std::unordered_map<std::string, size_t> first_of_name_;
};

}  // namespace tickra
