#include "update/link_policy.h"

namespace tickra {

namespace {

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Compared without any code page in between: a best-fit conversion would turn full-width
// letters into "http".
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(text[i]) != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool IsBlankOrControl(wchar_t c) {
    return c <= L' ' || c == 0x7F;
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlankOrControl(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlankOrControl(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The shell puts the address into the browser's command line, inside quotes: a quote or a blank
// in it could add arguments of the announcement's choosing.
bool SafeOnACommandLine(std::wstring_view address) {
    for (wchar_t c : address) {
        if (IsBlankOrControl(c) || c == L'"') {
            return false;
        }
    }
    return true;
}

bool IsWebAddress(std::wstring_view address) {
    for (std::wstring_view scheme :
         {std::wstring_view(L"http://"), std::wstring_view(L"https://")}) {
        if (StartsWithNoCase(address, scheme)) {
            const std::wstring_view rest = address.substr(scheme.size());
            return !rest.empty() && rest.front() != L'/' && rest.front() != L'\\';
        }
    }
    return false;
}

}  // namespace

LinkDecision DecidePanelNavigation(std::wstring_view address) {
    const std::wstring_view trimmed = Trim(address);
    if (trimmed.size() == std::wstring_view(kPanelStartPage).size() &&
        StartsWithNoCase(trimmed, kPanelStartPage)) {
        return {LinkAction::kShowInPanel, {}};
    }
    if (IsWebAddress(trimmed) && SafeOnACommandLine(trimmed)) {
        return {LinkAction::kOpenOutside, std::wstring(trimmed)};
    }
    return {LinkAction::kCancel, {}};
}

}  // namespace tickra
