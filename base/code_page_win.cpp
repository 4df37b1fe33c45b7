#include "base/code_page_win.h"

#include <windows.h>

namespace tickra {

std::wstring Widen(std::string_view gb2312) {
    if (gb2312.empty()) {
        return {};
    }
    const int size = static_cast<int>(gb2312.size());
    const int length = MultiByteToWideChar(kProgramCodePage, 0, gb2312.data(), size, nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(kProgramCodePage, 0, gb2312.data(), size, out.data(), length);
    return out;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf16.size());
    const int length =
        WideCharToMultiByte(kProgramCodePage, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(kProgramCodePage, 0, utf16.data(), size, out.data(), length, nullptr,
                        nullptr);
    return out;
}

std::string Utf8ToProgram(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return Narrow(wide);
}

}  // namespace tickra
