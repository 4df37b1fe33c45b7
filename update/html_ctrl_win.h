// The announcement panel: the platform's web-browser control in a small OLE container of our
// own, given its HTML as text. No border, no scroll bars, no context menu, no scripts, ActiveX or
// Java, and links to "app:" addresses are refused. Where no browser engine can show a page (Wine
// without Gecko), the announcement is shown as plain text instead of a blank panel.
#pragma once

#include <windows.h>

#include <exdisp.h>

#include <string>
#include <string_view>

#include "base/com_ptr_win.h"
#include "base/unique_handle_win.h"
#include "ui/custom_window.h"

namespace tickra {

class HtmlSite;

class CHtmlCtrl : public ui::CustomWindow {
public:
    CHtmlCtrl();
    ~CHtmlCtrl() override;

    // Replaces the dialog's placeholder control by the panel, at its place and with its id. The
    // browser inside it is made with the first page to show.
    bool CreateOverControl(int id, HWND dialog);
    void Navigate(const wchar_t* url);
    bool has_browser() const { return static_cast<bool>(browser_); }
    void SetContextMenuSuppressed(bool suppressed) { suppress_context_menu_ = suppressed; }
    bool context_menu_suppressed() const { return suppress_context_menu_; }

    // Replaces the page by the HTML (GB2312); S_OK, or the error of the failing step.
    HRESULT ShowHtmlText(std::string_view html);

    // Right clicks inside the browser's document window never reach the browser.
    bool PreTranslateMessage(MSG& message);
    // The browser's blank page has loaded.
    void OnDocumentReady();

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
};

}  // namespace tickra
