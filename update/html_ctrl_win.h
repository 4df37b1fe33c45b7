// The announcement panel: the platform's web-browser control in a small OLE container of our
// own, given its HTML as text. No border, no scroll bars, no context menu, no scripts, ActiveX or
// Java, and it goes nowhere but its own blank page: a web link opens in the user's browser, any
// other is refused. Where no browser engine can show a page (Wine without Gecko), the
// announcement is shown as plain text instead of a blank panel.
#pragma once

#include <windows.h>

#include <exdisp.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "base/com_ptr_win.h"
#include "base/unique_handle_win.h"
#include "ui/custom_window.h"

namespace tickra {

class HtmlSite;

class CHtmlCtrl : public ui::CustomWindow {
public:
    // Opens a web address outside the program; by default in the user's browser, through the
    // shell.
    using UrlOpener = std::function<void(const std::wstring& url)>;

    CHtmlCtrl();
    ~CHtmlCtrl() override;

    // Replaces the dialog's placeholder control by the panel, at its place and with its id. The
    // browser inside it is made with the first page to show.
    bool CreateOverControl(int id, HWND dialog);
    void Navigate(const wchar_t* url);
    bool has_browser() const { return static_cast<bool>(browser_); }
    void SetContextMenuSuppressed(bool suppressed) { suppress_context_menu_ = suppressed; }
    bool context_menu_suppressed() const { return suppress_context_menu_; }
    void SetUrlOpener(UrlOpener open) { open_url_ = std::move(open); }

    // Replaces the page by the HTML (GB2312); S_OK, or the error of the failing step.
    HRESULT ShowHtmlText(std::string_view html);

    // Right clicks inside the browser's document window never reach the browser.
    bool PreTranslateMessage(MSG& message);
    // The browser's blank page has loaded.
    void OnDocumentReady();
    // A link of the announcement, cancelled in the panel, to be opened outside.
    void OpenOutside(const std::wstring& url) const;
    // The panel's own browser, not one of the frames inside its page.
    bool IsPanelBrowser(IDispatch* browser) const;

    // What the browser reports its navigations to, and the browser itself; for tests.
    IDispatch* navigation_events() const;
    IWebBrowser2* browser() const { return browser_.get(); }

    // The plain-text stand-in, when the browser has no document to show.
    HWND fallback() const { return fallback_.get(); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    bool CreateBrowser();
    void ShowPlainText(std::string_view html);
    void Close();

    UniqueWindow fallback_;
    ComPtr<HtmlSite> site_;
    ComPtr<IWebBrowser2> browser_;
    DWORD events_cookie_ = 0;  // the navigation event sink's connection
    bool browser_tried_ = false;
    std::wstring start_url_ = L"about:blank";
    std::string pending_html_;
    bool suppress_context_menu_ = false;
    UrlOpener open_url_;
};

}  // namespace tickra
