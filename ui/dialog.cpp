#include "ui/dialog.h"

#include "res/messages.h"
#include "base/caught.h"
#include "base/code_page_win.h"
#include "ui/message_guard.h"
#include "ui/report.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace ui {

namespace {

// The dialog being made on this thread: WM_INITDIALOG's pointer is taken only for it.
thread_local Dialog* creating = nullptr;

// Messages whose result is the dialog procedure's own return value, not DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}

}  // namespace

void EndOwnedDialogs(HWND owner) {
    struct Search {
        HWND owner;
        std::vector<HWND> found;
    } search{owner, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* seeking = reinterpret_cast<Search*>(context);
            wchar_t class_name[8] = {};
            GetClassNameW(window, class_name, 8);
            if (GetWindow(window, GW_OWNER) == seeking->owner &&
                wcscmp(class_name, L"#32770") == 0) {
                seeking->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.found) {
        EndOwnedDialogs(window);  // a box may own a box
        if (Dialog::FromWindow(window) != nullptr) {
            DestroyWindow(window);  // our modal loop ends with its window
        } else {
            EndDialog(window, IDCANCEL);
        }
    }
}

bool IsReturnOrEscapeKey(const MSG& message) {
    // Only key messages: a mouse message's word parameter can be 13 too (Ctrl+Shift+click).
    return message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST &&
           (message.wParam == VK_ESCAPE || message.wParam == VK_RETURN);
}

Dialog::~Dialog() {
    Destroy();
}

HWND Dialog::CreateFromTemplate(HWND owner) {
    GuardThread();
    creating = this;
    const HWND made = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id_),
                                         owner, DialogProc, reinterpret_cast<LPARAM>(this));
    creating = nullptr;
    return made;
}

bool Dialog::Create(HWND owner) {
    modal_ = false;
    return CreateFromTemplate(owner) != nullptr;
}

INT_PTR Dialog::DoModal(HWND owner) {
    modal_ = true;
    ended_ = false;
    result_ = -1;
    if (CreateFromTemplate(owner) == nullptr) {
        return -1;
    }
    const bool disable_owner = owner != nullptr && IsWindowEnabled(owner);
    if (disable_owner) {
        EnableWindow(owner, FALSE);
    }
    if (!ended_) {
        ShowWindow(hwnd_, SW_SHOW);  // as DialogBox does, whatever the template says
    }
    MSG message;
    while (!ended_ && hwnd_ != nullptr) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // leave it for the outer loop
            break;
        }
        if (got == -1) {
            break;
        }
        if (!RouteMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // Enable the owner before the dialog goes, so activation returns to it.
    if (disable_owner) {
        EnableWindow(owner, TRUE);
    }
    Destroy();
    modal_ = false;
    return result_;
}

void Dialog::EndDialog(INT_PTR result) {
    result_ = result;
    if (modal_) {
        ended_ = true;
        PostMessageW(hwnd_, WM_NULL, 0, 0);  // wake the modal loop
    } else {
        Destroy();
    }
}

void Dialog::Destroy() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

bool Dialog::PreTranslateMessage(MSG& message) {
    return IsDialogMessageW(hwnd_, &message) != FALSE;
}

Dialog* Dialog::FromWindow(HWND hwnd) {
    if (hwnd == nullptr) {
        return nullptr;
    }
    HWND root = GetAncestor(hwnd, GA_ROOT);
    if (root == nullptr) {
        root = hwnd;
    }
    // DWLP_USER is ours only in a dialog that runs our procedure, not in a message box.
    if (GetWindowLongPtrW(root, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&DialogProc)) {
        return nullptr;
    }
    return reinterpret_cast<Dialog*>(GetWindowLongPtrW(root, DWLP_USER));
}

bool Dialog::RouteMessage(MSG& message) {
    Dialog* dialog = FromWindow(message.hwnd);
    return dialog != nullptr && dialog->PreTranslateMessage(message);
}

void Dialog::SetIcon(HICON icon) {
    icon_ = icon;
    window().Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    window().Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void Dialog::AddSystemMenuBox(UINT command, std::string_view text, int box) {
    HMENU menu = GetSystemMenu(hwnd_, FALSE);
    if (menu == nullptr || text.empty()) {
        return;
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, command, tickra::Widen(text).c_str());
    box_command_ = command;
    box_ = box;
}

void Dialog::DeferCommand(int id, int notify_code, HWND control) {
    const std::pair command{MAKEWPARAM(id, notify_code), reinterpret_cast<LPARAM>(control)};
    if (std::find(deferred_commands_.begin(), deferred_commands_.end(), command) ==
        deferred_commands_.end()) {
        deferred_commands_.push_back(command);
    }
}

void Dialog::PostDeferredCommands() {
    for (const auto& [wparam, lparam] : deferred_commands_) {
        PostMessageW(hwnd_, WM_COMMAND, wparam, lparam);
    }
    deferred_commands_.clear();
}

std::optional<LRESULT> Dialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            if (OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam))) {
                return 0;
            }
            return std::nullopt;
        case WM_SYSCOMMAND:
            if (box_command_ != 0 && (wparam & 0xFFF0) == box_command_) {
                Dialog box(box_);
                box.DoModal(hwnd_);
                return 0;
            }
            return std::nullopt;
        case WM_PAINT:
            if (icon_ != nullptr && IsIconic(hwnd_)) {
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(hwnd_, &paint);
                SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
                RECT client;
                GetClientRect(hwnd_, &client);
                DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                         (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
                EndPaint(hwnd_, &paint);
                return 0;
            }
            return std::nullopt;
        case WM_QUERYDRAGICON:
            return icon_ != nullptr ? std::optional<LRESULT>(reinterpret_cast<LRESULT>(icon_))
                                    : std::nullopt;
        default:
            return std::nullopt;
    }
}

bool Dialog::OnCommand(int id, int, HWND) {
    // Only a modal dialog ends on OK or Cancel: a modeless one is owned by someone who still
    // holds it, and a key must not destroy it under them.
    if (modal_ && (id == IDOK || id == IDCANCEL)) {
        EndDialog(id);
        return true;
    }
    return false;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Dialog* self = nullptr;
    // Anyone may send a dialog WM_INITDIALOG with any pointer: only the one of its making counts.
    const bool making = message == WM_INITDIALOG && creating != nullptr &&
                        reinterpret_cast<Dialog*>(lparam) == creating &&
                        GetWindowLongPtrW(hwnd, DWLP_USER) == 0;
    if (making) {
        self = std::exchange(creating, nullptr);
        self->hwnd_ = hwnd;
        self->mailbox_ = std::make_shared<tickra::Mailbox>(
            [hwnd] { return PostMessageW(hwnd, tickra::kMailboxMessage, 0, 0) != FALSE; },
            [](std::string_view line) { Report(line, "failed"); });
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE;
    }
    // What only the system sends, sent by someone else, is taken as handled, so that the dialog
    // manager does nothing with it either.
    if (SystemOnly(message) && !making &&
        !((message == WM_DESTROY || message == WM_NCDESTROY) && BeingDestroyed(hwnd)) &&
        !(message == WM_NOTIFY && FromOwnControl(hwnd, lparam))) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    // No exception may cross into the system's dispatching code.
    try {
        if (message == WM_INITDIALOG) {
            return self->OnInitDialog() ? TRUE : FALSE;
        }
        if (message == tickra::kMailboxMessage) {
            self->mailbox_->RunPending();  // the message carries nothing to check
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        if (message == WM_DESTROY) {
            self->mailbox_->Close();  // before the handlers free what queued work would reach
        }
        const std::optional<LRESULT> result = self->OnMessage(message, wparam, lparam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            self->hwnd_ = nullptr;
            Forget(hwnd);
        }
        if (!result) {
            return FALSE;
        }
        if (ReturnsResultDirectly(message)) {
            return static_cast<INT_PTR>(*result);
        }
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *result);
        return TRUE;
    } catch (...) {
        Report("dialog procedure, message " + std::to_string(message), tickra::CaughtText());
        return FALSE;
    }
}

}  // namespace ui
