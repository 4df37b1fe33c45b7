#include "update/image_version_win.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "base/code_page_win.h"
#include "base/library_win.h"

namespace tickra {

namespace {

// The version library, loaded only while an upgrade is checked: most runs never check one.
class VersionLibrary {
public:
    VersionLibrary() {
        ok_ = library_.Load(size_, "GetFileVersionInfoSizeW") &&
              library_.Load(info_, "GetFileVersionInfoW") &&
              library_.Load(query_, "VerQueryValueW");
    }

    std::vector<char> Block(const std::wstring& path) const {
        DWORD ignored = 0;
        const DWORD size = ok_ ? size_(path.c_str(), &ignored) : 0;
        std::vector<char> block(size);
        if (size == 0 || !info_(path.c_str(), 0, size, block.data())) {
            block.clear();
        }
        return block;
    }

    // A value of the block; nothing when it is missing.
    std::optional<std::pair<const void*, UINT>> Query(const std::vector<char>& block,
                                                      const std::wstring& name) const {
        void* value = nullptr;
        UINT length = 0;
        // VerQueryValueW takes a non-const block, though it only reads it.
        if (!query_(const_cast<char*>(block.data()), name.c_str(), &value, &length) ||
            value == nullptr) {
            return std::nullopt;
        }
        return std::pair<const void*, UINT>(value, length);
    }

private:
    Library library_{L"version.dll"};
    bool ok_ = false;
    decltype(&GetFileVersionInfoSizeW) size_ = nullptr;
    decltype(&GetFileVersionInfoW) info_ = nullptr;
    decltype(&VerQueryValueW) query_ = nullptr;
};

std::string StringValue(const VersionLibrary& library, const std::vector<char>& block,
                        const std::wstring& table, const wchar_t* name) {
    const auto value = library.Query(block, L"\\StringFileInfo\\" + table + L"\\" + name);
    if (!value || value->second == 0) {
        return {};
    }
    // The length counts characters, with the final NUL when there is one.
    const auto* text = static_cast<const wchar_t*>(value->first);
    std::wstring wide(text, value->second);
    wide.resize(wcsnlen(wide.c_str(), wide.size()));
    return Narrow(wide);
}

}  // namespace

std::optional<ImageVersion> ReadImageVersion(const std::wstring& path) {
    const VersionLibrary library;
    const std::vector<char> block = library.Block(path);
    if (block.empty()) {
        return std::nullopt;
    }
    const auto translations = library.Query(block, L"\\VarFileInfo\\Translation");
    if (!translations || translations->second < 2 * sizeof(WORD)) {
        return std::nullopt;
    }
    const auto* language = static_cast<const WORD*>(translations->first);
    wchar_t table[9] = {};
    std::swprintf(table, 9, L"%04x%04x", language[0], language[1]);
    return ImageVersion{StringValue(library, block, table, L"ProductName"),
                        StringValue(library, block, table, L"FileVersion")};
}

}  // namespace tickra
