#include "app/tickra_dlg_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "base/code_page_win.h"
#include "res/messages.h"
#include "res/resource.h"
#include "watch/profile_file_win.h"
#include "watch/profile_text.h"

namespace tickra {

namespace {

// The process's current directory in the ANSI code page the profile functions take: code.ini is
// looked for where the program was started, not beside the executable.
std::string CurrentDirectory() {
    std::vector<char> buffer(MAX_PATH + 1);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    return std::string(buffer.data(), length < buffer.size() ? length : 0);
}

// The steps of the step alerts the tray's menu offers, in the order of its entries.
constexpr int kMenuSteps[] = {0, 2, 3, 5};

void Check(HMENU menu, UINT id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | static_cast<UINT>(checked ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace

CTickraDlg::CTickraDlg(std::string arguments, DialogServices services)
    : ui::Dialog(IDD_TICKRA_DIALOG),
      arguments_(std::move(arguments)),
      services_(std::move(services)),
      start_with_windows_(services_.startup_folder),
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
    AddAboutToSystemMenu();
    window().Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    window().Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    tips_switch_ = TipsSwitchFromArguments(arguments_);
    page_ = std::make_unique<WatchListPage>(*this, model_, services_, mailbox());
    balance_ = std::make_unique<BalanceButtons>(*this, model_, *page_, services_, mailbox());
    const std::string settings_path = CurrentDirectory() + "\\tickra.ini";
    auto settings_file = std::make_unique<PrivateProfileFile>(settings_path);
    const ProfileText settings_text(settings_file->Read().text);
    settings_ = std::make_unique<TickraSettings>(
        settings_text, std::move(settings_file), [this, settings_path] {
            page_->Tell("tickra.ini 无法保存，这个选择只在这次运行中有效。\r\n\r\n" +
                        settings_path);
        });
    const SettingsValues& settings = settings_->values();
    ticker_ = std::make_unique<Ticker>(
        model_, services_, mailbox(), [this](const Alert& alert) { Raise(alert); }, tips_switch_,
        settings.sources);
    ticker_->SetMoveSettings(settings.moves);
    ticker_->SetLineStyle(settings.style);
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
    code_ini_path_ = CurrentDirectory() + "\\code.ini";
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
    SetTimer(hwnd(), kRefreshTimerId, static_cast<UINT>(services_.refresh_period.count()), nullptr);
    initialized_ = true;
    // Commands that came while start-up's message boxes were up run now, once each.
    for (const DeferredCommand& command : deferred_commands_) {
        PostMessageW(hwnd(), WM_COMMAND, command.wparam, command.lparam);
    }
    deferred_commands_.clear();
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
    tray_.ShowBalloon(alert.title, alert.balloon, 3000, NIIF_WARNING);
    ticker_->WatchForBalloon();
    page_->AddMessage(alert.line, alert.time);
}

void CTickraDlg::OpenUrl(const std::wstring& url) {
    if (services_.open_url) {
        services_.open_url(Narrow(url));
    } else {
        shell_.Open(url);  // starting the browser may take a while
    }
}

void CTickraDlg::AddAboutToSystemMenu() const {
    const std::string about = ui::LoadResourceString(IDS_ABOUTBOX);
    HMENU menu = GetSystemMenu(hwnd(), FALSE);
    if (menu == nullptr || about.empty()) {
        return;
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, Widen(about).c_str());
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
        case WM_SYSCOMMAND:
            if ((wparam & 0xFFF0) == IDM_ABOUTBOX) {
                ui::Dialog about(IDD_ABOUTBOX);
                about.DoModal(hwnd());
                return 0;
            }
            return std::nullopt;
        case WM_PAINT:
            if (IsIconic(hwnd())) {
                PaintMinimised();
                return 0;
            }
            return std::nullopt;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(icon_);
        case kTrayCallbackMessage:  // the tray icon's hook has acted on it already
            return 0;
        case WM_INITMENUPOPUP:  // the tray menu or its submenu, about to open
            UpdateTrayMenu(reinterpret_cast<HMENU>(wparam));
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
            const auto* notify = reinterpret_cast<const NMHDR*>(lparam);
            if (notify->idFrom == IDC_WATCH_LIST && notify->code == LVN_GETDISPINFOW && page_) {
                page_->OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lparam));
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
    // Posting a command back at once would feed a start-up box's loop forever: each one waits
    // for the end of start-up.
    if (!initialized_) {
        const DeferredCommand command{MAKEWPARAM(id, notify_code),
                                      reinterpret_cast<LPARAM>(control)};
        if (std::find(deferred_commands_.begin(), deferred_commands_.end(), command) ==
            deferred_commands_.end()) {
            deferred_commands_.push_back(command);
        }
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
        case ID_TICKER_HOLD:
            ticker_->Hold(!ticker_->held());
            return true;
        case ID_TICKER_ROTATE:
            ticker_->Hold(false);
            return true;
        case ID_TRAY_TASKBARS_PRIMARY:
        case ID_TRAY_TASKBARS_SECONDARY:
        case ID_TRAY_TASKBARS_ALL:
            ChooseTaskbars(static_cast<TaskbarChoice>(id - ID_TRAY_TASKBARS_PRIMARY));
            return true;
        case ID_TRAY_SOURCE_CLASSIC:
        case ID_TRAY_SOURCE_SINA:
        case ID_TRAY_SOURCE_TENCENT:
        case ID_TRAY_SOURCE_EASTMONEY:
            ChooseFeed(static_cast<FeedId>(id - ID_TRAY_SOURCE_CLASSIC));
            return true;
        case ID_TRAY_LIMIT_ALERTS:
            ChooseMoveSettings({!ticker_->move_settings().limits, ticker_->move_settings().step});
            return true;
        case ID_TRAY_STEP_OFF:
        case ID_TRAY_STEP_2:
        case ID_TRAY_STEP_3:
        case ID_TRAY_STEP_5:
            ChooseMoveSettings(
                {ticker_->move_settings().limits, kMenuSteps[id - ID_TRAY_STEP_OFF]});
            return true;
        case ID_TRAY_SHOW_PNL:
        case ID_TRAY_MONO:
        case ID_TRAY_HIDE_AMOUNTS: {
            LineStyle style = settings_->values().style;
            bool& toggled = id == ID_TRAY_SHOW_PNL ? style.show_pnl
                            : id == ID_TRAY_MONO   ? style.mono
                                                   : style.hide_amounts;
            toggled = !toggled;
            ticker_->SetLineStyle(style);
            settings_->SetStyle(style);
            return true;
        }
        case ID_TRAY_START_WITH_WINDOWS:
            if (const std::string failure = start_with_windows_.Toggle(Widen(arguments_));
                !failure.empty()) {
                page_->Tell(failure);
            }
            return true;
        default:
            if (page_->OnCommand(id)) {
                balance_->EnableFor(page_->editing());
                ticker_->Hold(false);  // the held row may be gone, or another in its place
                return true;
            }
            return balance_->OnCommand(id);
    }
}

void CTickraDlg::UpdateTrayMenu(HMENU menu) {
    start_with_windows_.CheckMenuEntry(menu, ID_TRAY_START_WITH_WINDOWS);
    if (ticker_ &&
        GetMenuState(menu, ID_TRAY_SOURCE_CLASSIC, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
        const FeedRouter& feeds = ticker_->feeds();
        for (FeedId feed : kDefaultFeedOrder) {
            const UINT id = ID_TRAY_SOURCE_CLASSIC + static_cast<UINT>(feed);
            const bool other_in_use = feed == feeds.in_use() && feed != feeds.first();
            ModifyMenuW(
                menu, id, MF_BYCOMMAND | MF_STRING, id,
                Widen(std::string(FeedName(feed)) + (other_in_use ? "（使用中）" : "")).c_str());
        }
        CheckMenuRadioItem(menu, ID_TRAY_SOURCE_CLASSIC, ID_TRAY_SOURCE_EASTMONEY,
                           ID_TRAY_SOURCE_CLASSIC + static_cast<UINT>(feeds.first()), MF_BYCOMMAND);
    }
    if (ticker_) {
        const RefreshCycle::MoveSettings& moves = ticker_->move_settings();
        Check(menu, ID_TRAY_LIMIT_ALERTS, moves.limits);
        // A step the file holds that the menu does not offer checks none.
        for (UINT id = ID_TRAY_STEP_OFF; id <= ID_TRAY_STEP_5; ++id) {
            Check(menu, id, kMenuSteps[id - ID_TRAY_STEP_OFF] == moves.step);
        }
        const LineStyle& style = settings_->values().style;
        Check(menu, ID_TRAY_SHOW_PNL, style.show_pnl);
        Check(menu, ID_TRAY_MONO, style.mono);
        Check(menu, ID_TRAY_HIDE_AMOUNTS, style.hide_amounts);
    }
    const TickerHosts* hosts = ticker_hosts();
    if (hosts == nullptr ||
        GetMenuState(menu, ID_TRAY_TASKBARS_PRIMARY, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
        return;
    }
    CheckMenuRadioItem(menu, ID_TRAY_TASKBARS_PRIMARY, ID_TRAY_TASKBARS_ALL,
                       ID_TRAY_TASKBARS_PRIMARY + static_cast<UINT>(hosts->choice()), MF_BYCOMMAND);
    // Without a secondary taskbar these show the ticker on the primary: the grey says so.
    const UINT state = SecondaryTaskbars().empty() ? MF_GRAYED : MF_ENABLED;
    EnableMenuItem(menu, ID_TRAY_TASKBARS_SECONDARY, MF_BYCOMMAND | state);
    EnableMenuItem(menu, ID_TRAY_TASKBARS_ALL, MF_BYCOMMAND | state);
}

void CTickraDlg::ChooseTaskbars(TaskbarChoice choice) {
    ticker_->SetTaskbarChoice(choice);
    settings_->SetTaskbars(choice);
}

void CTickraDlg::ChooseFeed(FeedId feed) {
    ticker_->ChooseFeed(feed);
    settings_->SetSources(ticker_->feeds().order());
}

void CTickraDlg::ChooseMoveSettings(const RefreshCycle::MoveSettings& settings) {
    ticker_->SetMoveSettings(settings);
    settings_->SetMoves(settings);
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

void CTickraDlg::PaintMinimised() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd(), &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(hwnd(), &paint);
}

}  // namespace tickra
