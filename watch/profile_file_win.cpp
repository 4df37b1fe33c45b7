#include "watch/profile_file_win.h"

#include <windows.h>

#include <algorithm>

#include "base/unique_handle_win.h"
#include "watch/name_list.h"

namespace tickra {

std::string ProfileTextFromBytes(std::string_view bytes, unsigned code_page) {
    std::wstring wide;
    auto decode = [&](UINT from, size_t skip) {
        const std::string_view rest = bytes.substr(skip);
        wide.resize(rest.size());  // a byte gives at most one UTF-16 unit
        wide.resize(static_cast<size_t>(
            MultiByteToWideChar(from, 0, rest.data(), static_cast<int>(rest.size()), wide.data(),
                                static_cast<int>(wide.size()))));
    };
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        decode(CP_UTF8, 3);
    } else if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0) {
        const size_t big_endian = bytes[0] == '\xFE' ? 1 : 0;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto low = static_cast<unsigned char>(bytes[i + big_endian]);
            const auto high = static_cast<unsigned char>(bytes[i + 1 - big_endian]);
            wide += static_cast<wchar_t>(low | high << 8);
        }
    } else {
        decode(code_page, 0);
    }
    if (wide.empty()) {
        return {};
    }
    // Sized by asking first: where the ANSI code page is UTF-8, a Chinese character takes three
    // bytes.
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(code_page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(code_page, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

PrivateProfileFile::Contents PrivateProfileFile::Read() const {
    Contents contents;
    const UniqueFile file(CreateFileA(path_.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        contents.error = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
        return contents;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        contents.error = GetLastError();
        return contents;
    }
    if (size.QuadPart > (64 << 20)) {
        contents.holds_text = true;  // no list of stocks: writes wait for the user's word
        return contents;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        contents.error = GetLastError();
        return contents;
    }
    bytes.resize(read);
    contents.holds_text = std::any_of(bytes.begin(), bytes.end(), [](char c) {
        return c != ' ' && c != '\t' && c != '\r' && c != '\n';
    });
    contents.text = ProfileTextFromBytes(bytes, GetACP());
    return contents;
}

std::vector<std::string> PrivateProfileFile::SectionNames() {
    // Room for the longest list at once: Wine reads a file written in the last two seconds again
    // at every call.
    return ReadNameList([this](char* buffer, size_t size) { return GetSectionNames(buffer, size); },
                        kNameListMaxSize);
}

std::vector<std::string> PrivateProfileFile::KeyNames(const std::string& section) {
    return ReadNameList(
        [&](char* buffer, size_t size) { return GetKeyNames(section, buffer, size); });
}

size_t PrivateProfileFile::GetSectionNames(char* buffer, size_t size) const {
    return GetPrivateProfileSectionNamesA(buffer, static_cast<DWORD>(size), path_.c_str());
}

size_t PrivateProfileFile::GetKeyNames(const std::string& section, char* buffer,
                                       size_t size) const {
    return GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer, static_cast<DWORD>(size),
                                    path_.c_str());
}

bool PrivateProfileFile::WriteNewSection(const std::string& section, const Keys& keys) {
    // Another copy may have added this stock since the list was read, with keys of its own: a
    // section written whole would replace them, a key at a time keeps them.
    char held[4];
    if (GetPrivateProfileSectionA(section.c_str(), held, sizeof(held), path_.c_str()) != 0) {
        return ProfileFile::WriteNewSection(section, keys);
    }
    std::string lines;
    for (const auto& [key, value] : keys) {
        lines.append(key).append(1, '=').append(value).append(1, '\0');
    }
    lines += '\0';
    return WritePrivateProfileSectionA(section.c_str(), lines.c_str(), path_.c_str()) != FALSE;
}

bool PrivateProfileFile::WriteString(const std::string& section, const char* key,
                                     const char* value) {
    return WritePrivateProfileStringA(section.c_str(), key, value, path_.c_str()) != FALSE;
}

}  // namespace tickra
