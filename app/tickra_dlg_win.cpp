#include "app/tickra_dlg_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>
#include <vector>

#include "app/command_line.h"
#include "base/code_page_win.h"
#include "base/file_win.h"
#include "res/messages.h"
#include "res/resource.h"

namespace tickra {

CTickraDlg::CTickraDlg(std::string arguments, DialogServices services)
    : ui::Dialog(IDD_TICKRA_DIALOG),
      arguments_(std::move(arguments)),
      services_(std::move(services)),
      icon_(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      tray_(IDR_TRAY_MENU, shell_) {
    // Once Exit has begun, nothing shows a box: the process would wait for someone to press it.
    services_.message_box = [this, show = std::move(services_.message_box)](
                                HWND owner, std::string_view text, std::string_view caption,
                                UINT type) {
        return ended_ ? IDCANCEL : show(owner, text, caption, type);
    };
}

CTickraDlg::~CTickraDlg() {
    // Ended without Exit (a failed start, a test): the window goes while every part it may still
    // reach is alive, and none of its handlers starts anything new.
    ended_ = true;
    Destroy();
}

bool CTickraDlg::OnInitDialog() {
    AddSystemMenuBox(IDM_ABOUTBOX, ui::LoadResourceString(IDS_ABOUTBOX), IDD_ABOUTBOX);
    SetIcon(icon_);
    tips_switch_ = TipsSwitchFromArguments(arguments_);
    page_ = std::make_unique<WatchListPage>(*this, model_, services_, mailbox());
    balance_ = std::make_unique<BalanceButtons>(*this, model_, *page_, services_, mailbox());
    choices_ = std::make_unique<TrayChoices>(CurrentDirectoryAnsi() + "\\tickra.ini",
                                             services_.startup_folder,
                                             [this](std::string_view text) { page_->Tell(text); });
    const SettingsValues& settings = choices_->settings();
    ticker_ = std::make_unique<Ticker>(
        model_, services_, mailbox(), [this](const Alert& alert) { Raise(alert); }, tips_switch_,
        settings.sources);
    update_ = std::make_unique<UpdateOffer>(
        hwnd(), services_, mailbox(),
        UpdateOffer::Outputs{[this](const std::string& html) { html_panel_.ShowHtmlText(html); },
                             [this] { Teardown(); }});
    page_->set_on_row_deleted([this] { ticker_->Show(); });

    html_panel_.CreateOverControl(IDC_AD_PANEL, hwnd());
    html_panel_.SetUrlOpener([this](const std::wstring& url) { OpenUrl(url); });
    html_panel_.SetContextMenuSuppressed(true);
    html_panel_.Navigate(L"about:blank");
    update_->Start();
    tray_.SetNotificationWnd(hwnd(), kTrayCallbackMessage);
    tray_.SetIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY)), "Tickra");
    code_ini_path_ = CurrentDirectoryAnsi() + "\\code.ini";
    ticker_->Create(hwnd(), settings.taskbars);
    // The rows are read on a worker, however long the list: what start-up does with them waits
    // for them.
    page_->Create(code_ini_path_, [this] {
        if (model_.empty()) {
            tray_.ShowBalloon("使用提示", "双击图标增加股票代码.", 500, NIIF_INFO);
            ticker_->WatchForBalloon();
        }
        ticker_->CheckFirstRow();
    });
    choices_->Start(*ticker_, hwnd(), Widen(arguments_), [this](const std::string& line) {
        page_->AddMessage(line, FormatTime(services_.clock(), "%H:%M:%S"));
    });
    SetTimer(hwnd(), kRefreshTimerId, static_cast<UINT>(services_.refresh_period.count()), nullptr);
    initialized_ = true;
    PostDeferredCommands();
    return true;
}

void CTickraDlg::OnRefreshTick() {
    if (!initialized_ || ended_) {
        return;
    }
    if (page_->loaded()) {
        ticker_->Tick(ItemText(IDC_ROTATION));
        return;
    }
    // No list yet: the ticker keeps its place, and a code.ini another program held is read again.
    page_->ReadAgain();
    ticker_->Show();
}

bool CTickraDlg::idle() const {
    return (!ticker_ || ticker_->idle()) && !(balance_ && balance_->running()) &&
           !(page_ && page_->reading());
}

void CTickraDlg::Raise(const Alert& alert) {
    if (!ticker_->hidden()) {
        tray_.ShowBalloon(alert.title, alert.balloon, 3000, NIIF_WARNING);
        ticker_->WatchForBalloon();
    }
    page_->AddMessage(alert.line, alert.time);
}

void CTickraDlg::OpenUrl(const std::wstring& url) {
    if (services_.open_url) {
        services_.open_url(Narrow(url));
    } else {
        shell_.Open(url);  // starting the browser may take a while
    }
}

bool CTickraDlg::PreTranslateMessage(MSG& message) {
    // Return and Escape never close or end the dialog, whichever control has the focus; Escape
    // stops a balance computation under way.
    if (ui::IsReturnOrEscapeKey(message)) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && balance_) {
            balance_->Stop();
        }
        return true;
    }
    if (html_panel_.PreTranslateMessage(message)) {
        return true;
    }
    return ui::Dialog::PreTranslateMessage(message);
}

std::optional<LRESULT> CTickraDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_NCPAINT:
            if (hide_on_frame_paints_ > 0) {
                --hide_on_frame_paints_;
                ShowWindow(hwnd(), SW_HIDE);
                return 0;
            }
            return std::nullopt;
        case WM_CLOSE:
            HideSettings();
            return 0;
        case kTrayCallbackMessage:  // the tray icon's hook has acted on it already
            return 0;
        case WM_HOTKEY:
            if (wparam == HideKey::kId) {
                OnCommand(ID_TRAY_HIDE_TICKERS, 0, nullptr);
            }
            return 0;
        case WM_DESTROY:
            if (choices_) {
                choices_->Stop();
            }
            return std::nullopt;
        case WM_INITMENUPOPUP:  // the tray menu or its submenu, about to open
            if (choices_) {
                choices_->UpdateMenu(reinterpret_cast<HMENU>(wparam));
            }
            return std::nullopt;
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
        case WM_DWMCOLORIZATIONCOLORCHANGED:
        case WM_DISPLAYCHANGE:
            // These reach top-level windows only, and the ticker is a child of the taskbar.
            // Which setting changed is not asked: the high-contrast switch names none.
            if (ticker_ && !ended_) {
                ticker_->MatchBackground();
            }
            return std::nullopt;
        case WM_NOTIFY: {
            auto* notify = reinterpret_cast<NMHDR*>(lparam);
            if (page_ && page_->OnNotify(*notify)) {
                return 0;
            }
            if (notify->idFrom == IDC_HELP_LINK &&
                (notify->code == NM_CLICK || notify->code == NM_RETURN)) {
                OpenUrl(Widen(services_.help_url));
                return 0;
            }
            return std::nullopt;
        }
        case WM_TIMER:
            if (wparam == kRefreshTimerId) {
                OnRefreshTick();
            } else if (update_ && !ended_) {
                update_->OnTimer(wparam);
            }
            return std::nullopt;
        default:
            if (message == TaskbarCreatedMessage()) {
                // A new taskbar: the ticker moves into it at the next tick (the tray icon's
                // hook has put the icon back already).
                if (ticker_ && !ended_) {
                    ticker_->Reembed();
                }
                return 0;
            }
            return ui::Dialog::OnMessage(message, wparam, lparam);
    }
}

bool CTickraDlg::OnCommand(int id, int notify_code, HWND control) {
    if (ended_) {
        return true;
    }
    if (!initialized_) {
        DeferCommand(id, notify_code, control);
        return true;
    }
    switch (id) {
        case IDOK:  // "关闭"
            HideSettings();
            return true;
        case ID_TRAY_SETTINGS:
            ShowSettings();
            return true;
        case ID_TRAY_EXIT:
            Teardown();
            return true;
        case ID_TRAY_HIDE_TICKERS:
            ticker_->SetHidden(!ticker_->hidden());
            if (ticker_->hidden()) {
                tray_.ShowBalloon("", "", 0, NIIF_NONE);  // one still up would tell what was hidden
            }
            return true;
        default:
            if (ticker_->OnCommand(id) || choices_->OnCommand(id)) {
                return true;
            }
            if (page_->OnCommand(id)) {
                balance_->EnableFor(page_->editing());
                ticker_->Hold(false);  // the held row may be gone, or another in its place
                return true;
            }
            return balance_->OnCommand(id);
    }
}

void CTickraDlg::ShowSettings() {
    // Once the user has asked for the window, no late frame paint may hide it again.
    hide_on_frame_paints_ = 0;
    if (ticker_) {
        ticker_->MarkAlertsSeen();  // the message list tells them all
    }
    ShowWindow(hwnd(), SW_SHOW);
    shell_.SetButton(hwnd(), true);
}

void CTickraDlg::HideSettings() {
    ShowWindow(hwnd(), SW_HIDE);
    shell_.SetButton(hwnd(), false);
}

void CTickraDlg::Teardown() {
    if (ended_) {
        return;
    }
    ended_ = true;
    // A menu's loop (the ticker's, the tray's) would hold the process until the user closed it.
    EndMenu();
    if (mailbox()) {
        mailbox()->Close();  // answers still on their way find nothing to run
    }
    KillTimer(hwnd(), kRefreshTimerId);
    if (choices_) {
        choices_->Stop();
    }
    // Everything under way is aborted or handed over first, then all of it is waited for once,
    // with one bound; a thread stuck anyway is let go. Only then do the parts go: the ticker
    // gives the taskbar its room back, and the rows go last.
    tray_.SetIcon(nullptr, nullptr);
    if (ticker_) {
        update_->Cancel();
        ticker_->Cancel();
        balance_->Cancel();
        page_->Cancel();
        const SteadyTime deadline = services_.steady_clock() + services_.exit_bound;
        update_->Join(deadline);
        ticker_->Join(deadline);
        balance_->Join(deadline);
        page_->Join(deadline);
        shell_.Join(deadline);  // the icon's removal
        update_->Release();
        ticker_->Destroy();
    }
    model_.Clear();
    // A box of ours still open (a message, the About box) would keep the process until someone
    // dismissed it.
    ui::EndOwnedDialogs(hwnd());
    EndDialog(IDOK);
}

}  // namespace tickra
