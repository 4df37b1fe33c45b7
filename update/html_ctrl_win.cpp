#include "update/html_ctrl_win.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <oaidl.h>
#include <ole2.h>
#include <shellapi.h>

#include "base/code_page_win.h"
#include "base/library_win.h"
#include "update/link_policy.h"
#include "update/update_notice.h"

namespace tickra {

namespace {

constexpr wchar_t kPanelClass[] = L"TickraHtmlPanel";
constexpr wchar_t kDocumentWindowClass[] = L"Internet Explorer_Server";

// The automation library's strings, arrays and variants, which only the browser takes: loaded
// with the first use, since most runs show no announcement and, linked in, it would be mapped at
// start. Kept until the process ends.
struct Automation {
    Library oleaut32{L"oleaut32.dll"};
    decltype(&::SysAllocString) SysAllocString = nullptr;
    decltype(&::SysFreeString) SysFreeString = nullptr;
    decltype(&::SysStringLen) SysStringLen = nullptr;
    decltype(&::VariantClear) VariantClear = nullptr;
    decltype(&::SafeArrayCreateVector) SafeArrayCreateVector = nullptr;
    decltype(&::SafeArrayAccessData) SafeArrayAccessData = nullptr;
    decltype(&::SafeArrayUnaccessData) SafeArrayUnaccessData = nullptr;
    decltype(&::SafeArrayDestroy) SafeArrayDestroy = nullptr;
    const bool complete = oleaut32.Load(SysAllocString, "SysAllocString") &&
                          oleaut32.Load(SysFreeString, "SysFreeString") &&
                          oleaut32.Load(SysStringLen, "SysStringLen") &&
                          oleaut32.Load(VariantClear, "VariantClear") &&
                          oleaut32.Load(SafeArrayCreateVector, "SafeArrayCreateVector") &&
                          oleaut32.Load(SafeArrayAccessData, "SafeArrayAccessData") &&
                          oleaut32.Load(SafeArrayUnaccessData, "SafeArrayUnaccessData") &&
                          oleaut32.Load(SafeArrayDestroy, "SafeArrayDestroy");

    static const Automation& Get() {
        static const Automation automation;
        return automation;
    }
};

// The browser's source of navigation events; empty without a browser.
ComPtr<IConnectionPoint> NavigationEvents(const ComPtr<IWebBrowser2>& browser) {
    ComPtr<IConnectionPoint> point;
    if (const auto points = browser.As<IConnectionPointContainer>(IID_IConnectionPointContainer)) {
        points->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put());
    }
    return point;
}

// An argument of a browser event: by value, or by reference to a variant.
const VARIANT& Argument(const DISPPARAMS& params, UINT last_first) {
    const VARIANT& argument = params.rgvarg[last_first];
    if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal != nullptr) {
        return *argument.pvarVal;
    }
    return argument;
}

// The whole string, embedded NULs included, so that nothing hides behind one.
std::wstring_view Text(const VARIANT& argument) {
    if (argument.vt != VT_BSTR || argument.bstrVal == nullptr) {
        return {};
    }
    return {argument.bstrVal, Automation::Get().SysStringLen(argument.bstrVal)};
}

VARIANT_BOOL* CancelFlag(const DISPPARAMS& params, UINT last_first) {
    const VARIANT& argument = params.rgvarg[last_first];
    return argument.vt == (VT_BYREF | VT_BOOL) ? argument.pboolVal : nullptr;
}

void Cancel(VARIANT_BOOL* cancel) {
    if (cancel != nullptr) {
        *cancel = VARIANT_TRUE;
    }
}

}  // namespace

// The browser's site: client site, in-place site and frame, UI handler, ambient properties and
// the navigation event sink, in one reference-counted object.
class HtmlSite final : public IOleClientSite,
                       public IOleInPlaceSite,
                       public IOleInPlaceFrame,
                       public IDocHostUIHandler,
                       public IDispatch {
public:
    explicit HtmlSite(CHtmlCtrl* owner) : owner_(owner) {}
    void Detach() { owner_ = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
            *out = static_cast<IOleClientSite*>(this);
        } else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow) {
            *out = static_cast<IOleInPlaceSite*>(this);
        } else if (riid == IID_IOleInPlaceFrame || riid == IID_IOleInPlaceUIWindow) {
            *out = static_cast<IOleInPlaceFrame*>(this);
        } else if (riid == IID_IDocHostUIHandler) {
            *out = static_cast<IDocHostUIHandler*>(this);
        } else if (riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2) {
            *out = static_cast<IDispatch*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and frame)
    STDMETHODIMP GetWindow(HWND* out) override {
        *out = owner_ != nullptr ? owner_->hwnd() : nullptr;
        return *out != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        GetClientRect(owner_ != nullptr ? owner_->hwnd() : nullptr, position);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = owner_ != nullptr ? GetParent(owner_->hwnd()) : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: a frame without menus, toolbars or status bar.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        // S_OK: the host has "shown" the menu, so the browser shows none of its own.
        return owner_ != nullptr && owner_->context_menu_suppressed() ? S_OK : S_FALSE;
    }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
        info->cbSize = sizeof(DOCHOSTUIINFO);
        info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_OK;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
        *key = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetExternal(IDispatch** out) override {
        *out = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
        *out = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
        *out = nullptr;
        return S_FALSE;
    }

    // IDispatch: the ambient download control, and the browser's navigation events.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override {
        if (id == DISPID_AMBIENT_DLCONTROL && result != nullptr) {
            // An announcement is text and pictures: nothing in it may run.
            *result = VARIANT{};
            result->vt = VT_I4;
            result->lVal = DLCTL_DLIMAGES | DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA |
                           DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS | DLCTL_NO_BEHAVIORS |
                           DLCTL_NO_CLIENTPULL;
            return S_OK;
        }
        if (id == DISPID_BEFORENAVIGATE2 && params != nullptr && params->cArgs == 7) {
            // (browser, address, flags, frame, post data, headers, Cancel), last first.
            const LinkDecision decision = DecidePanelNavigation(Text(Argument(*params, 5)));
            if (decision.action == LinkAction::kShowInPanel) {
                return S_OK;
            }
            Cancel(CancelFlag(*params, 0));
            // A frame of the page is not a click of the user's: it opens nothing.
            const VARIANT& browser = params->rgvarg[6];
            if (decision.action == LinkAction::kOpenOutside && owner_ != nullptr &&
                browser.vt == VT_DISPATCH && owner_->IsPanelBrowser(browser.pdispVal)) {
                owner_->OpenOutside(decision.address);
            }
            return S_OK;
        }
        if (id == DISPID_NEWWINDOW2 && params != nullptr && params->cArgs == 2) {
            Cancel(CancelFlag(*params, 0));  // (new browser, Cancel), last first
            return S_OK;
        }
        if (id == DISPID_NEWWINDOW3 && params != nullptr && params->cArgs == 5) {
            // (new browser, Cancel, flags, referrer, address), last first. The panel makes no
            // windows, but a link with a target is still a link the user clicked.
            Cancel(CancelFlag(*params, 3));
            const LinkDecision decision = DecidePanelNavigation(Text(Argument(*params, 0)));
            if (decision.action == LinkAction::kOpenOutside && owner_ != nullptr) {
                owner_->OpenOutside(decision.address);
            }
            return S_OK;
        }
        if (id == DISPID_DOCUMENTCOMPLETE && owner_ != nullptr) {
            owner_->OnDocumentReady();
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    ULONG references_ = 1;
    CHtmlCtrl* owner_;
};

CHtmlCtrl::CHtmlCtrl()
    : open_url_([](const std::wstring& url) {
          ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      }) {}

CHtmlCtrl::~CHtmlCtrl() {
    Destroy();  // here, while its WM_DESTROY still reaches Close
}

void CHtmlCtrl::Close() {
    if (events_cookie_ != 0) {
        if (const auto events = NavigationEvents(browser_)) {
            events->Unadvise(events_cookie_);
        }
        events_cookie_ = 0;
    }
    if (const auto object = browser_.As<IOleObject>(IID_IOleObject)) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    browser_.reset();
    if (site_) {
        site_->Detach();
        site_.reset();
    }
}

// A plain child window: a click activates it like any control, without frame activation. It
// goes with the dialog, so it lets go of the browser when destroyed.
LRESULT CHtmlCtrl::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        Close();  // the browser's windows are still there to be closed
        fallback_.reset();
    }
    return DefaultProc(message, wparam, lparam);
}

bool CHtmlCtrl::CreateOverControl(int id, HWND dialog) {
    HWND placeholder = GetDlgItem(dialog, id);
    if (placeholder == nullptr) {
        return false;
    }
    RECT place;
    GetWindowRect(placeholder, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    DestroyWindow(placeholder);
    if (!Create({kPanelClass, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)}, 0,
                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place, dialog, id)) {
        return false;
    }
    site_ = ComPtr<HtmlSite>(new HtmlSite(this));
    return true;
}

bool CHtmlCtrl::CreateBrowser() {
    browser_tried_ = true;
    ComPtr<IOleObject> object;
    if (hwnd() == nullptr || !Automation::Get().complete ||
        FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                object.put_void()))) {
        return false;  // no browser: the panel shows plain text
    }
    RECT client;
    GetClientRect(hwnd(), &client);
    auto* site = static_cast<IOleClientSite*>(site_.get());
    object->SetClientSite(site);
    OleSetContainedObject(object.get(), TRUE);
    object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, hwnd(), &client);
    browser_ = object.As<IWebBrowser2>(IID_IWebBrowser2);
    if (const auto events = NavigationEvents(browser_)) {
        events->Advise(static_cast<IDispatch*>(site_.get()), &events_cookie_);
    }
    if (browser_) {
        Navigate(start_url_.c_str());
    }
    return static_cast<bool>(browser_);
}

void CHtmlCtrl::Navigate(const wchar_t* url) {
    if (!browser_) {
        start_url_ = url;  // for when there is a page to show
        return;
    }
    const Automation& ole = Automation::Get();
    BSTR address = ole.SysAllocString(url);
    VARIANT empty{};  // VT_EMPTY
    browser_->Navigate(address, &empty, &empty, &empty, &empty);
    ole.SysFreeString(address);
}

void CHtmlCtrl::OnDocumentReady() {
    // A browser made for the first announcement has its document only now.
    if (!pending_html_.empty()) {
        const std::string html = std::move(pending_html_);
        pending_html_.clear();
        if (SUCCEEDED(ShowHtmlText(html)) && fallback_) {
            ShowWindow(fallback_.get(), SW_HIDE);
        }
    }
}

void CHtmlCtrl::OpenOutside(const std::wstring& url) const {
    if (open_url_) {
        open_url_(url);
    }
}

bool CHtmlCtrl::IsPanelBrowser(IDispatch* browser) const {
    if (!browser_ || browser == nullptr) {
        return false;
    }
    // COM identity: the same object gives the same IUnknown, whichever interface was asked for.
    ComPtr<IUnknown> ours = browser_.As<IUnknown>(IID_IUnknown);
    ComPtr<IUnknown> theirs;
    browser->QueryInterface(IID_IUnknown, theirs.put_void());
    return ours && ours.get() == theirs.get();
}

IDispatch* CHtmlCtrl::navigation_events() const {
    return static_cast<IDispatch*>(site_.get());
}

HRESULT CHtmlCtrl::ShowHtmlText(std::string_view html) {
    // Most runs have no announcement: the browser, and the memory it takes, come with the first.
    if (!browser_tried_) {
        CreateBrowser();
    }
    ComPtr<IDispatch> dispatch;
    HRESULT result = browser_ ? browser_->get_Document(dispatch.put()) : E_NOINTERFACE;
    if (SUCCEEDED(result) && !dispatch) {
        result = E_NOINTERFACE;  // a browser without an engine has no document to give
    }
    ComPtr<IHTMLDocument2> document;
    if (SUCCEEDED(result)) {
        result = dispatch->QueryInterface(IID_IHTMLDocument2, document.put_void());
    }
    if (FAILED(result)) {
        if (browser_) {
            pending_html_ = html;  // written when the blank page is ready, if it ever is
        }
        ShowPlainText(html);
        return result;
    }

    const Automation& ole = Automation::Get();
    SAFEARRAY* array = ole.SafeArrayCreateVector(VT_VARIANT, 0, 1);
    VARIANT* element = nullptr;
    result = array != nullptr ? ole.SafeArrayAccessData(array, reinterpret_cast<void**>(&element))
                              : E_OUTOFMEMORY;
    if (SUCCEEDED(result)) {
        element->vt = VT_BSTR;
        element->bstrVal = ole.SysAllocString(Widen(html).c_str());
        ole.SafeArrayUnaccessData(array);
        BSTR type = ole.SysAllocString(L"text/html");
        VARIANT name{}, features{}, replace{};
        name.vt = VT_BSTR;
        name.bstrVal = ole.SysAllocString(L"_self");
        features.vt = VT_BSTR;
        features.bstrVal = ole.SysAllocString(L"");
        replace.vt = VT_BOOL;
        replace.boolVal = VARIANT_TRUE;
        ComPtr<IDispatch> window;
        result = document->open(type, name, features, replace, window.put());
        if (SUCCEEDED(result)) {
            result = document->write(array);
        }
        if (SUCCEEDED(result)) {
            result = document->close();
        }
        ole.SysFreeString(type);
        ole.VariantClear(&name);
        ole.VariantClear(&features);
    }
    if (array != nullptr) {
        ole.SafeArrayDestroy(array);  // frees the string it holds
    }
    return result;
}

void CHtmlCtrl::ShowPlainText(std::string_view html) {
    if (hwnd() == nullptr) {
        return;
    }
    if (!fallback_) {
        RECT client;
        GetClientRect(hwnd(), &client);
        fallback_.reset(CreateWindowExW(
            0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, client.right,
            client.bottom, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr));
        SendMessageW(fallback_.get(), WM_SETFONT,
                     static_cast<WPARAM>(SendMessageW(GetParent(hwnd()), WM_GETFONT, 0, 0)), FALSE);
    }
    // The body of the page, without its head.
    const size_t body = html.find("<body>");
    const std::string_view shown = body == std::string_view::npos ? html : html.substr(body);
    SetWindowTextW(fallback_.get(), Widen(AnnouncementPlainText(shown)).c_str());
}

bool CHtmlCtrl::PreTranslateMessage(MSG& message) {
    if (!suppress_context_menu_) {
        return false;
    }
    switch (message.message) {
        case WM_CONTEXTMENU:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK: {
            wchar_t name[64] = {};
            GetClassNameW(message.hwnd, name, 64);
            if (wcscmp(name, kDocumentWindowClass) != 0) {
                return false;
            }
            if (message.message == WM_RBUTTONUP) {
                SendMessageW(GetParent(hwnd()), WM_CONTEXTMENU, message.wParam, message.lParam);
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace tickra
