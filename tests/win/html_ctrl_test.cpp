#include <gtest/gtest.h>

#include <windows.h>

#include <exdisp.h>
#include <exdispid.h>

#include <string>
#include <vector>

#include "base/code_page_win.h"
#include "base/unique_handle_win.h"
#include "update/html_ctrl_win.h"

namespace tickra {
namespace {

constexpr int kPlaceholderId = 1020;

// The panel over a placeholder of a window of its own, with what it opens recorded.
struct PanelLinksTest : ::testing::Test {
    UniqueWindow parent;
    CHtmlCtrl panel;
    std::vector<std::wstring> opened;

    void SetUp() override {
        parent.reset(CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                     nullptr, nullptr, nullptr, nullptr));
        CreateWindowExW(0, L"STATIC", L"AD", WS_CHILD, 10, 10, 300, 40, parent.get(),
                        reinterpret_cast<HMENU>(kPlaceholderId), nullptr, nullptr);
        ASSERT_TRUE(panel.CreateOverControl(kPlaceholderId, parent.get()));
        panel.SetUrlOpener([this](const std::wstring& url) { opened.push_back(url); });
        panel.Navigate(L"about:blank");
        panel.ShowHtmlText("<p>x</p>");  // the browser comes with the first announcement
    }
    void TearDown() override { panel.Destroy(); }

    // The browser's event, its arguments last first as the browser delivers them; true when the
    // handler cancelled it.
    bool Raise(DISPID event, std::vector<VARIANT> arguments, VARIANT_BOOL& cancel) {
        cancel = VARIANT_FALSE;
        DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        panel.navigation_events()->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                          &params, nullptr, nullptr, nullptr);
        return cancel == VARIANT_TRUE;
    }
    bool BeforeNavigate(const wchar_t* url, IDispatch* from) {
        BSTR address = SysAllocString(url);
        VARIANT value, empty, by_value, by_reference, cancel_argument, browser;
        VariantInit(&empty);
        value.vt = VT_BSTR;
        value.bstrVal = address;
        by_value.vt = VT_BYREF | VT_VARIANT;
        by_value.pvarVal = &value;
        by_reference.vt = VT_BYREF | VT_VARIANT;
        by_reference.pvarVal = &empty;
        VARIANT_BOOL cancel;
        cancel_argument.vt = VT_BYREF | VT_BOOL;
        cancel_argument.pboolVal = &cancel;
        browser.vt = VT_DISPATCH;
        browser.pdispVal = from;
        const bool cancelled = Raise(DISPID_BEFORENAVIGATE2,
                                     {cancel_argument, by_reference, by_reference, by_reference,
                                      by_reference, by_value, browser},
                                     cancel);
        SysFreeString(address);
        return cancelled;
    }
    bool NewWindow3(const wchar_t* url) {
        BSTR address = SysAllocString(url);
        BSTR referrer = SysAllocString(L"about:blank");
        IDispatch* window = nullptr;
        VARIANT_BOOL cancel;
        VARIANT arguments[5];
        arguments[0].vt = VT_BSTR;
        arguments[0].bstrVal = address;
        arguments[1].vt = VT_BSTR;
        arguments[1].bstrVal = referrer;
        arguments[2].vt = VT_I4;
        arguments[2].lVal = 0x10002;  // a link clicked by the user
        arguments[3].vt = VT_BYREF | VT_BOOL;
        arguments[3].pboolVal = &cancel;
        arguments[4].vt = VT_BYREF | VT_DISPATCH;
        arguments[4].ppdispVal = &window;
        const bool cancelled = Raise(DISPID_NEWWINDOW3, {arguments, arguments + 5}, cancel);
        SysFreeString(address);
        SysFreeString(referrer);
        return cancelled;
    }
};

TEST_F(PanelLinksTest, OnlyTheBlankPageShowsAndOnlyWebLinksOpenOutside) {
    ASSERT_NE(panel.browser(), nullptr);
    IDispatch* const top = panel.browser();
    IDispatch* const frame = panel.navigation_events();  // any object but the panel's browser
    struct Case {
        const wchar_t* url;
        IDispatch* from;
        bool cancelled;
        const wchar_t* opened;
    };
    const Case cases[] = {
        {L"about:blank", top, false, nullptr},
        {L"http://x.test/news.html", top, true, L"http://x.test/news.html"},
        {L"HTTPS://x.test/", top, true, L"HTTPS://x.test/"},
        {L"http://x.test/ad.html", frame, true, nullptr},
        {L"file:///c:/windows/system32/calc.exe", top, true, nullptr},
        {L"C:\\Windows\\System32\\calc.exe", top, true, nullptr},
        {L"mailto:a@x.test", top, true, nullptr},
        {L"ms-settings:privacy", top, true, nullptr},
        {L"app:run", top, true, nullptr},
    };
    for (const Case& c : cases) {
        opened.clear();
        EXPECT_EQ(BeforeNavigate(c.url, c.from), c.cancelled) << Narrow(c.url);
        EXPECT_EQ(opened,
                  c.opened ? std::vector<std::wstring>{c.opened} : std::vector<std::wstring>{})
            << Narrow(c.url);
    }
}

TEST_F(PanelLinksTest, ANewWindowIsNeverMadeButAWebLinkOpensOutside) {
    EXPECT_TRUE(NewWindow3(L"http://x.test/a.html"));
    EXPECT_TRUE(NewWindow3(L"file:///c:/boot.ini"));
    EXPECT_EQ(opened, std::vector<std::wstring>{L"http://x.test/a.html"});

    IDispatch* window = nullptr;
    VARIANT_BOOL cancel;
    VARIANT arguments[2];
    arguments[0].vt = VT_BYREF | VT_BOOL;
    arguments[0].pboolVal = &cancel;
    arguments[1].vt = VT_BYREF | VT_DISPATCH;
    arguments[1].ppdispVal = &window;
    EXPECT_TRUE(Raise(DISPID_NEWWINDOW2, {arguments, arguments + 2}, cancel));
}

}  // namespace
}  // namespace tickra
