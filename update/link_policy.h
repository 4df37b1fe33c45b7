// What the announcement panel does when its browser is about to go somewhere. The announcement
// comes over plain HTTP, so anyone on the way can write it: the panel itself only ever shows its
// own blank page, and of the links in it only web addresses leave the program, in the user's
// browser.
#pragma once

#include <string>
#include <string_view>

namespace tickra {

enum class LinkAction {
    kShowInPanel,  // the panel's own blank page, into which the announcement is written
    kOpenOutside,  // cancelled here and opened in the user's browser
    kCancel,       // cancelled, and nothing opens
};

struct LinkDecision {
    LinkAction action = LinkAction::kCancel;
    std::wstring address;  // what to open outside: the address without surrounding blanks
};

// The panel's start page.
inline constexpr wchar_t kPanelStartPage[] = L"about:blank";

// A navigation of the panel's browser to address.
LinkDecision DecidePanelNavigation(std::wstring_view address);

}  // namespace tickra
