// A dialog from a resource template, modal or modeless, with its messages routed to virtuals.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/mailbox.h"
#include "ui/window.h"

namespace ui {

class Dialog {
public:
    explicit Dialog(int template_id) : template_id_(template_id) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog in a modal loop of our own, so that every queued message first passes
    // PreTranslateMessage; returns the value given to EndDialog, or -1 if it could not be made.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modeless and hidden unless its template says otherwise.
    bool Create(HWND owner = nullptr);
    // Ends a modal loop; a modeless dialog is destroyed.
    void EndDialog(INT_PTR result);
    void Destroy();

    HWND hwnd() const { return hwnd_; }
    // Where other threads leave work for this dialog's thread; it exists from WM_INITDIALOG on and
    // is closed at WM_DESTROY, so work that comes later is freed unrun.
    const std::shared_ptr<tickra::Mailbox>& mailbox() const { return mailbox_; }
    Window window() const { return Window(hwnd_); }
    Window Item(int id) const { return Window(GetDlgItem(hwnd_, id)); }
    std::string ItemText(int id) const { return Item(id).Text(); }
    void SetItemText(int id, std::string_view text) const { Item(id).SetText(text); }

    // The window's icon, big and small: a minimised dialog paints it, and a drag shows it. The
    // icon stays the caller's.
    void SetIcon(HICON icon);
    // An entry at the end of the system menu, after a separator, that opens the dialog template
    // box modally; nothing without a text.
    void AddSystemMenuBox(UINT command, std::string_view text, int box);

    // A command that came while the dialog cannot take it yet waits, once however often it came;
    // PostDeferredCommands posts them back, in order, when it can. Posting one back at once would
    // feed a box's loop forever.
    void DeferCommand(int id, int notify_code, HWND control);
    void PostDeferredCommands();

    // Sees each queued message for this dialog or its children before it is dispatched;
    // returns true when the message was handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& message);

    // The dialog of ours that a window belongs to (the window itself or its top-level parent).
    static Dialog* FromWindow(HWND hwnd);
    // Routes one message as the modal loop does; false when it still needs dispatching.
    static bool RouteMessage(MSG& message);

protected:
    virtual bool OnInitDialog() { return true; }
    // Returns the result of a handled message, or nothing for the default dialog processing.
    virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
    // Returns true when the command was handled. By default OK and Cancel end a modal dialog.
    virtual bool OnCommand(int id, int notify_code, HWND control);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    HWND CreateFromTemplate(HWND owner);

    int template_id_;
    HWND hwnd_ = nullptr;
    std::shared_ptr<tickra::Mailbox> mailbox_;
    bool modal_ = false;
    bool ended_ = false;
    HICON icon_ = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> deferred_commands_;
    UINT box_command_ = 0;
    int box_ = 0;
    INT_PTR result_ = 0;
};

// Ends every dialog and message box of this thread that the owner owns, ours or the system's, so
// that their modal loops return.
void EndOwnedDialogs(HWND owner);

// A key message of Return or Escape, which a dialog manager would turn into OK or Cancel.
bool IsReturnOrEscapeKey(const MSG& message);

}  // namespace ui
