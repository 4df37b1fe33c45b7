#include "update/html_ctrl.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <oaidl.h>
#include <ole2.h>

#include "ui/text.h"
#include "update/update_notice.h"

namespace tickra {

namespace {

constexpr wchar_t kPanelClass[] = L"TickraHtmlPanel";
constexpr wchar_t kDocumentWindowClass[] = L"Internet Explorer_Server";

template <class T>
void ReleaseAndClear(T*& pointer) {
    if (pointer != nullptr) {
        pointer->Release();
        pointer = nullptr;
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
            VariantInit(result);
            result->vt = VT_I4;
            result->lVal = DLCTL_DLIMAGES | DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA |
                           DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS | DLCTL_NO_BEHAVIORS |
                           DLCTL_NO_CLIENTPULL;
            return S_OK;
        }
        if (id == DISPID_BEFORENAVIGATE2 && params != nullptr && params->cArgs >= 7) {
            // Arguments arrive last first: the address is the sixth from the end, Cancel the last.
            const VARIANT* url = &params->rgvarg[5];
            if (url->vt == (VT_BYREF | VT_VARIANT) && url->pvarVal != nullptr) {
                url = url->pvarVal;
            }
            VARIANT* cancel = &params->rgvarg[0];
            if (url->vt == VT_BSTR && url->bstrVal != nullptr &&
                IsAppLink(ui::Narrow(url->bstrVal)) && cancel->vt == (VT_BYREF | VT_BOOL)) {
                *cancel->pboolVal = VARIANT_TRUE;
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

CHtmlCtrl::CHtmlCtrl() = default;

CHtmlCtrl::~CHtmlCtrl() {
    Close();
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

void CHtmlCtrl::Close() {
    if (browser_ != nullptr && events_cookie_ != 0) {
        IConnectionPointContainer* points = nullptr;
        if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                               reinterpret_cast<void**>(&points)))) {
            IConnectionPoint* point = nullptr;
            if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) {
                point->Unadvise(events_cookie_);
                point->Release();
            }
            points->Release();
        }
        events_cookie_ = 0;
    }
    if (browser_ != nullptr) {
        IOleObject* object = nullptr;
        if (SUCCEEDED(
                browser_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)))) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
            object->Release();
        }
        ReleaseAndClear(browser_);
    }
    if (site_ != nullptr) {
        site_->Detach();
        site_->Release();
        site_ = nullptr;
    }
}

// A plain child window: a click activates it like any control, without frame activation. It
// goes with the dialog, so it lets go of the browser and forgets its handle when destroyed.
LRESULT CALLBACK CHtmlCtrl::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CHtmlCtrl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && message == WM_DESTROY) {
        self->Close();  // the browser's windows are still there to be closed
    } else if (self != nullptr && message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->fallback_ = nullptr;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
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

    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kPanelClass;
        return RegisterClassW(&wc) != 0;
    }();
    hwnd_ = registered
                ? CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                  place.left, place.top, place.right - place.left,
                                  place.bottom - place.top, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), this)
                : nullptr;
    if (hwnd_ == nullptr) {
        return false;
    }

    site_ = new HtmlSite(this);
    return true;
}

bool CHtmlCtrl::CreateBrowser() {
    browser_tried_ = true;
    IOleObject* object = nullptr;
    if (hwnd_ == nullptr ||
        FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object)))) {
        return false;  // no browser: the panel shows plain text
    }
    RECT client;
    GetClientRect(hwnd_, &client);
    object->SetClientSite(static_cast<IOleClientSite*>(site_));
    OleSetContainedObject(object, TRUE);
    object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_), 0, hwnd_,
                   &client);
    object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_));

    IConnectionPointContainer* points = nullptr;
    if (browser_ != nullptr &&
        SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(&points)))) {
        IConnectionPoint* point = nullptr;
        if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) {
            point->Advise(static_cast<IDispatch*>(site_), &events_cookie_);
            point->Release();
        }
        points->Release();
    }
    object->Release();
    if (browser_ != nullptr) {
        Navigate(start_url_.c_str());
    }
    return browser_ != nullptr;
}

void CHtmlCtrl::Navigate(const wchar_t* url) {
    if (browser_ == nullptr) {
        start_url_ = url;  // for when there is a page to show
        return;
    }
    BSTR address = SysAllocString(url);
    VARIANT empty;
    VariantInit(&empty);
    browser_->Navigate(address, &empty, &empty, &empty, &empty);
    SysFreeString(address);
}

void CHtmlCtrl::OnDocumentReady() {
    // A browser made for the first announcement has its document only now.
    if (!pending_html_.empty()) {
        const std::string html = std::move(pending_html_);
        pending_html_.clear();
        if (SUCCEEDED(ShowHtmlText(html)) && fallback_ != nullptr) {
            ShowWindow(fallback_, SW_HIDE);
        }
    }
}

HRESULT CHtmlCtrl::ShowHtmlText(std::string_view html) {
    // Most runs have no announcement: the browser, and the memory it takes, come with the first.
    if (!browser_tried_) {
        CreateBrowser();
    }
    IDispatch* dispatch = nullptr;
    HRESULT result = browser_ != nullptr ? browser_->get_Document(&dispatch) : E_NOINTERFACE;
    if (SUCCEEDED(result) && dispatch == nullptr) {
        result = E_NOINTERFACE;  // a browser without an engine has no document to give
    }
    IHTMLDocument2* document = nullptr;
    if (SUCCEEDED(result)) {
        result = dispatch->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&document));
        dispatch->Release();
    }
    if (FAILED(result)) {
        if (browser_ != nullptr) {
            pending_html_ = html;  // written when the blank page is ready, if it ever is
        }
        ShowPlainText(html);
        return result;
    }

    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    VARIANT* element = nullptr;
    result = array != nullptr ? SafeArrayAccessData(array, reinterpret_cast<void**>(&element))
                              : E_OUTOFMEMORY;
    if (SUCCEEDED(result)) {
        element->vt = VT_BSTR;
        element->bstrVal = SysAllocString(ui::Widen(html).c_str());
        SafeArrayUnaccessData(array);
        BSTR type = SysAllocString(L"text/html");
        VARIANT name, features, replace;
        VariantInit(&name);
        name.vt = VT_BSTR;
        name.bstrVal = SysAllocString(L"_self");
        VariantInit(&features);
        features.vt = VT_BSTR;
        features.bstrVal = SysAllocString(L"");
        VariantInit(&replace);
        replace.vt = VT_BOOL;
        replace.boolVal = VARIANT_TRUE;
        IDispatch* window = nullptr;
        result = document->open(type, name, features, replace, &window);
        if (SUCCEEDED(result)) {
            result = document->write(array);
        }
        if (SUCCEEDED(result)) {
            result = document->close();
        }
        ReleaseAndClear(window);
        SysFreeString(type);
        VariantClear(&name);
        VariantClear(&features);
    }
    if (array != nullptr) {
        SafeArrayDestroy(array);  // frees the string it holds
    }
    document->Release();
    return result;
}

void CHtmlCtrl::ShowPlainText(std::string_view html) {
    if (hwnd_ == nullptr) {
        return;
    }
    if (fallback_ == nullptr) {
        RECT client;
        GetClientRect(hwnd_, &client);
        fallback_ = CreateWindowExW(
            0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, client.right,
            client.bottom, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(fallback_, WM_SETFONT, SendMessageW(GetParent(hwnd_), WM_GETFONT, 0, 0),
                     FALSE);
    }
    // The body of the page, without its head.
    const size_t body = html.find("<body>");
    const std::string_view shown = body == std::string_view::npos ? html : html.substr(body);
    SetWindowTextW(fallback_, ui::Widen(AnnouncementPlainText(shown)).c_str());
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
                SendMessageW(GetParent(hwnd_), WM_CONTEXTMENU, message.wParam, message.lParam);
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace tickra
