// code.ini through the Windows profile functions, with GB2312 bytes as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "watch/profile_file.h"

namespace tickra {

// A profile file's bytes as the profile functions read them on a system whose ANSI code page is
// code_page: a file with a UTF-8 or UTF-16 byte-order mark is converted from that, and an ANSI
// one goes through the same round of conversion.
std::string ProfileTextFromBytes(std::string_view bytes, unsigned code_page);

class PrivateProfileFile final : public ProfileFile {
public:
    // path: in the system's ANSI code page, as the …A profile functions take it.
    explicit PrivateProfileFile(std::string path) : path_(std::move(path)) {}

    // The whole file, read in one pass.
    struct Contents {
        std::string text;         // in the system's ANSI code page (ProfileTextFromBytes)
        bool holds_text = false;  // anything but blanks; a missing file holds nothing
        // Why a file that is there could not be read (another program holds it without sharing
        // it, no right to read it); 0 when it could, and for a missing file, which holds no list.
        unsigned long error = 0;
    };
    Contents Read() const;

    // Read through the functions' lists, whose buffer grows until a list fits.
    std::vector<std::string> SectionNames() override;
    std::vector<std::string> KeyNames(const std::string& section) override;
    // The functions' own answers: the list in the buffer, and the bytes stored without the final
    // NUL, or size - 2 when the list was cut.
    size_t GetSectionNames(char* buffer, size_t size) const;
    size_t GetKeyNames(const std::string& section, char* buffer, size_t size) const;

    bool WriteString(const std::string& section, const char* key, const char* value) override;
    // One write where one a key would read and write the whole file each time: Wine reads a file
    // written in the last two seconds again at every call.
    bool WriteNewSection(const std::string& section, const Keys& keys) override;

private:
    std::string path_;
};

}  // namespace tickra
