#include "app/tickra_dlg_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/start_with_windows_win.h"
#include "base/code_page_win.h"
#include "base/text_util.h"
#include "chart/chart_url.h"
#include "net/http_client_win.h"
#include "res/messages.h"
#include "res/resource.h"
#include "tickra/build_config.h"
#include "watch/profile_file_win.h"
#include "watch/watch_list_loader.h"

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

}  // namespace

DialogServices DefaultServices() {
    return {[](std::string_view body, std::string_view verb, std::string_view host,
               std::string_view object, TransferControl& control) {
                return HttpRequest(body, verb, host, object, {}, &control);
            },
            LocalNow,
            ui::SystemMessageBox(),
            build::kQuoteHost,
            {build::kHistoryPostHost, build::kHistoryGetHost},
            build::kChartHost,
            build::kUpdateHost,
            build::kHelpUrl,
            nullptr,
            DefaultUpgradeServices()};
}

CTickraDlg::CTickraDlg(std::string arguments, DialogServices services)
    : ui::Dialog(IDD_TICKRA_DIALOG),
      arguments_(std::move(arguments)),
      services_(std::move(services)),
      icon_(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      tray_(IDR_TRAY_MENU, shell_) {}

CTickraDlg::~CTickraDlg() {
    // Ended without Exit (a failed start, a test): the window goes while every member it may
    // still reach is alive, and none of its handlers starts anything new.
    ended_ = true;
    Destroy();
}

bool CTickraDlg::OnInitDialog() {
    watch_view_ = ui::ListView(Item(IDC_WATCH_LIST).hwnd());
    message_view_ = ui::ListView(Item(IDC_MESSAGE_LIST).hwnd());

    AddAboutToSystemMenu();
    window().Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    window().Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    tips_switch_ = TipsSwitchFromArguments(arguments_);
    checker_ = std::make_unique<QuoteChecker>(services_.quote_host, tips_switch_);
    transfers_ = std::make_unique<TickTransfers>(mailbox(), services_.http);
    balance_ = std::make_unique<BalanceRun>(mailbox(), services_.http, services_.history_hosts);

    html_panel_.CreateOverControl(IDC_AD_PANEL, hwnd());
    html_panel_.SetUrlOpener([this](const std::wstring& url) { OpenUrl(url); });
    html_panel_.SetContextMenuSuppressed(true);
    html_panel_.Navigate(L"about:blank");
    RemoveUnfinishedUpgrade(services_.upgrade.folder);
    update_worker_ = std::make_unique<NetWorker>();
    StartUpdateCheck(*update_worker_, mailbox(), services_.http, services_.update_host,
                     services_.clock,
                     [this](const std::optional<UpdateNotice>& notice) { OnUpdateNotice(notice); });

    tray_.SetNotificationWnd(hwnd(), kTrayCallbackMessage);
    tray_.SetIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY)), "Tickra");
    CreateTickerHost();
    chart_ = std::make_unique<CDisplayMinDlg>(ticker_host_->hwnd(),
                                              [this] { ticker_host_->set_chart_requested(false); });
    chart_->Create(hwnd());

    cycle_ = RefreshCycle();
    Item(IDC_CANCEL_EDIT).Show(SW_HIDE);
    pending_data_date_.clear();
    SetItemText(IDC_SALE, "0");
    SetItemText(IDC_UNDER, "0");
    SetItemText(IDC_OVER, "0");
    SetItemText(IDC_ROTATION, "1");
    SetUpListViews();

    code_ini_path_ = CurrentDirectory() + "\\code.ini";
    LoadWatchListFromFile();
    CheckFirstRow();
    SetTimer(hwnd(), kRefreshTimerId, build::kRefreshPeriodMs, nullptr);
    initialized_ = true;
    // Commands that came while start-up's message boxes were up run now, once each.
    for (const DeferredCommand& command : deferred_commands_) {
        PostMessageW(hwnd(), WM_COMMAND, command.wparam, command.lparam);
    }
    deferred_commands_.clear();
    return true;
}

void CTickraDlg::CreateTickerHost() {
    ticker_host_ = std::make_unique<CNProgressBar>(services_.message_box);
    ticker_host_->set_on_chart_request([this](bool requested) { OnChartRequest(requested); });
    ticker_host_->MatchTaskbarColour();
}

void CTickraDlg::RefreshChart(const std::string& code) {
    // One download at a time; the window keeps its picture meanwhile.
    transfers_->FetchChart(ChartUrl(services_.chart_host, code, services_.clock()),
                           std::chrono::steady_clock::now(),
                           [this](std::optional<ChartPicture> picture) {
                               if (ticker_host_ && ticker_host_->chart_requested()) {
                                   chart_->ShowPicture(std::move(picture));
                               }
                           });
}

void CTickraDlg::OnChartRequest(bool requested) {
    // Off hides the window at once; on shows it with the next tick, which fetches the image.
    if (!requested && chart_) {
        chart_->window().Show(SW_HIDE);
    }
}

void CTickraDlg::OnUpdateNotice(const std::optional<UpdateNotice>& notice) {
    if (!notice) {
        return;
    }
    if (!notice->announcement.empty()) {
        // Un-escaped once, by the page: twice would turn "&amp;lt;" into markup.
        html_panel_.ShowHtmlText(AnnouncementPage(notice->announcement));
    }
    if (!notice->upgrade_address.empty() && !upgrade_) {
        // The offer reports its end from inside its own handlers: it is acted on afterwards.
        upgrade_ = std::make_unique<CUpGradeDlg>(
            *notice, services_.upgrade, [mailbox = mailbox(), this](CUpGradeDlg::End end) {
                mailbox->Post([this, end] { OnUpgradeEnd(end); });
            });
        upgrade_->Create(hwnd());
        // Shown without taking the focus from whatever the user is doing: activation would also
        // wait for the shell, whose input the ticker shares.
        upgrade_->window().Show(SW_SHOWNOACTIVATE);
        SetWindowPos(upgrade_->hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void CTickraDlg::OnUpgradeEnd(CUpGradeDlg::End end) {
    if (end == CUpGradeDlg::End::kHandedOver) {
        Teardown();
    } else if (upgrade_) {
        upgrade_->window().Show(SW_HIDE);
        SetTimer(hwnd(), kUpgradeReleaseTimerId, kUpgradeReleaseDelayMs, nullptr);
    }
}

void CTickraDlg::OpenUrl(const std::wstring& url) {
    if (services_.open_url) {
        services_.open_url(Narrow(url));
    } else {
        shell_.Open(url);  // starting the browser may take a while
    }
}

void CTickraDlg::ShowTickerState() {
    if (ticker_host_) {
        ticker_host_->ApplyTickerState(&ticker_state_);
        ticker_host_->KeepInPlace();
    }
}

void CTickraDlg::ReleaseUpgradeDialog() {
    if (upgrade_ && upgrade_->busy()) {
        // One of its handlers waits in a message box: close the window now, free it later.
        upgrade_->Abandon();
        abandoned_upgrade_ = std::move(upgrade_);
    }
    upgrade_.reset();
}

void CTickraDlg::CheckFirstRow() {
    if (rows_.empty()) {
        tray_.ShowBalloon("使用提示", "双击图标增加股票代码.", 500, NIIF_INFO);
        SetEmptyListState(ticker_state_);
        ShowTickerState();
    } else {
        // Row 0 is checked at once, whatever the time; its history starts with the first tick.
        StartQuote(0, true);
    }
}

void CTickraDlg::StartQuote(size_t row, bool first_check) {
    const auto now = std::chrono::steady_clock::now();
    std::optional<PendingQuote> pending =
        cycle_.StartQuote(rows_[row], *checker_, services_.clock(), first_check, now);
    if (!pending) {
        return;
    }
    const bool asked = transfers_->FetchQuote(
        checker_->host(), pending->object, now,
        [this, pending = *pending](const HttpAnswer& answer) { OnQuoteAnswer(pending, answer); });
    if (!asked) {
        OnQuoteAnswer(*pending, HttpAnswer{});  // a given-up request still hangs: the host is down
    }
}

void CTickraDlg::OnQuoteAnswer(const PendingQuote& pending, const HttpAnswer& answer) {
    if (cycle_.FinishQuote(pending, answer, rows_, *checker_, ticker_state_, reference_price_,
                           *this)) {
        ShowTickerState();
    }
}

void CTickraDlg::GiveUpStuckTransfers() {
    const auto now = std::chrono::steady_clock::now();
    const std::optional<PendingQuote> stuck = cycle_.Overdue(now, kGiveUpAfter);
    if (transfers_->GiveUpOverdue(now).quote && stuck) {
        OnQuoteAnswer(*stuck, HttpAnswer{});  // network trouble, shown as such
    }
}

bool CTickraDlg::idle() const {
    return !cycle_.quote_in_flight() && !(transfers_ && transfers_->chart_in_flight()) &&
           !balance_running();
}

void CTickraDlg::OnRefreshTick() {
    if (!initialized_ || ended_) {
        return;
    }
    if (rows_.empty()) {
        SetEmptyListState(ticker_state_);
        ShowTickerState();
        return;
    }
    GiveUpStuckTransfers();
    if (cycle_.quote_in_flight()) {
        ShowTickerState();  // the feed is slow: the cycle waits, the ticker still keeps its place
        return;
    }
    const auto row = static_cast<size_t>(
        cycle_.ChooseRow(static_cast<int>(rows_.size()), ItemText(IDC_ROTATION)));
    if (ticker_host_->chart_requested()) {
        if (!chart_->window().IsVisible()) {
            chart_->window().Show(SW_SHOWNOACTIVATE);
            SetWindowPos(chart_->hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        RefreshChart(rows_[row].code);
    } else {
        chart_->window().Show(SW_HIDE);
    }
    StartQuote(row, false);
}

void CTickraDlg::Raise(const Alert& alert, const std::string& time_text) {
    tray_.ShowBalloon(alert.title, alert.balloon, 3000, NIIF_WARNING);
    message_view_.InsertItem(0, alert.line);
    message_view_.SetItemText(0, 1, time_text);
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

void CTickraDlg::SetUpListViews() const {
    // Column widths are for 96 dpi; at higher scaling they grow with the dialog's font.
    const int dpi = ui::ScreenDpi();
    auto width = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    watch_view_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    watch_view_.InsertColumn(kColCode, "代码", width(60));
    watch_view_.InsertColumn(kColUnder, "下破", width(60));
    watch_view_.InsertColumn(kColOver, "上穿", width(60));
    watch_view_.InsertColumn(kColSale, "平衡价", width(80));
    watch_view_.InsertColumn(kColDataDate, "数据日期", width(100));

    message_view_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    message_view_.InsertColumn(0, "信息内容", width(420));
    message_view_.InsertColumn(1, "日期", width(100));
}

void CTickraDlg::LoadWatchListFromFile() {
    code_ini_file_ = std::make_unique<PrivateProfileFile>(code_ini_path_);
    rows_ = LoadWatchList(*code_ini_file_);
    // Text but no list: another encoding or a damaged file, which the first edit would replace.
    const bool unreadable = rows_.empty() && code_ini_file_->HoldsText();
    if (unreadable) {
        Tell(
            "code.ini 里没有能读出的股票列表（也许是别的编码，或文件已损坏）。"
            "在您同意之前，程序不会写入它。");
    }
    code_ini_ = std::make_unique<ConfirmedWrites>(*code_ini_file_, !unreadable, [this] {
        return services_.message_box(hwnd(),
                                     "code.ini 里没有能读出的股票列表，保存会覆盖其中的内容。"
                                     "要保存吗？",
                                     "Tickra", MB_YESNO | MB_ICONQUESTION) == IDYES;
    });
    ShowAllRows();
    editor_ =
        std::make_unique<WatchListEditor>(rows_, *code_ini_, ticker_state_, pending_data_date_);
}

void CTickraDlg::ShowAllRows() const {
    watch_view_.DeleteAllItems();
    for (const WatchRow& row : rows_) {
        AppendRowToView(row);
    }
}

void CTickraDlg::ShowRow(size_t index) const {
    for (int column = kColCode; column < kWatchColumnCount; ++column) {
        watch_view_.SetItemText(static_cast<int>(index), column, rows_[index].Cell(column));
    }
}

void CTickraDlg::AppendRowToView(const WatchRow& row) const {
    const int index = watch_view_.InsertItem(watch_view_.Count(), row.code);
    for (int column = kColUnder; column < kWatchColumnCount; ++column) {
        watch_view_.SetItemText(index, column, row.Cell(column));
    }
}

bool CTickraDlg::PreTranslateMessage(MSG& message) {
    // Return and Escape never close or end the dialog, whichever control has the focus; Escape
    // stops a balance computation under way.
    if (ui::IsReturnOrEscapeKey(message)) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && balance_running()) {
            EndBalance();
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
        case WM_INITMENUPOPUP:  // the tray menu, about to open
            StartWithWindows().CheckMenuEntry(reinterpret_cast<HMENU>(wparam),
                                              ID_TRAY_START_WITH_WINDOWS);
            return std::nullopt;
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
        case WM_DWMCOLORIZATIONCOLORCHANGED:
        case WM_DISPLAYCHANGE:
            // These reach top-level windows only, and the ticker is a child of the taskbar.
            // Which setting changed is not asked: the high-contrast switch names none.
            if (ticker_host_) {
                ticker_host_->MatchTaskbarColour();
            }
            return std::nullopt;
        case WM_NOTIFY: {
            const auto* notify = reinterpret_cast<const NMHDR*>(lparam);
            if (notify->idFrom == IDC_HELP_LINK &&
                (notify->code == NM_CLICK || notify->code == NM_RETURN)) {
                OpenUrl(Widen(services_.help_url));
                return 0;
            }
            return std::nullopt;
        }
        case WM_TIMER:
            if (wparam == kUpgradeReleaseTimerId) {
                KillTimer(hwnd(), kUpgradeReleaseTimerId);
                ReleaseUpgradeDialog();
            } else if (wparam == kRefreshTimerId) {
                OnRefreshTick();
            }
            return std::nullopt;
        default:
            if (message == TaskbarCreatedMessage()) {
                // A new taskbar: the ticker moves into it at the next tick (the tray icon's
                // hook has put the icon back already). At logon the shell may come while
                // start-up still waits in a box, before there is a ticker.
                if (ticker_host_) {
                    ticker_host_->RequestReembed();
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
    // Start-up may wait in a message box, whose own loop delivers the tray's commands. Posting
    // them back at once would feed that loop forever: each one waits for the end of start-up.
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
        case ID_TRAY_START_WITH_WINDOWS:
            if (const std::string failure = StartWithWindows().Toggle(Widen(arguments_));
                !failure.empty()) {
                Tell(failure);
            }
            return true;
        case IDC_APPLY:
            OnApply();
            return true;
        case IDC_MODIFY:
            OnModify();
            return true;
        case IDC_CANCEL_EDIT:
            OnCancelEdit();
            return true;
        case IDC_DELETE:
            OnDelete();
            return true;
        case IDC_MOVE_UP:
        case IDC_MOVE_DOWN:
            OnMove(id == IDC_MOVE_UP);
            return true;
        case IDC_COMPUTE:
            OnCompute();
            return true;
        case IDC_COMPUTE_ALL:
            OnComputeAll();
            return true;
        default:
            return false;
    }
}

EditFields CTickraDlg::ReadFields() const {
    return {ItemText(IDC_CODE), ItemText(IDC_UNDER), ItemText(IDC_OVER), ItemText(IDC_SALE)};
}

void CTickraDlg::WriteFields(const EditFields& fields) const {
    SetItemText(IDC_CODE, fields.code);
    SetItemText(IDC_UNDER, fields.under);
    SetItemText(IDC_OVER, fields.over);
    SetItemText(IDC_SALE, fields.sale);
}

void CTickraDlg::ShowEditMode() {
    const bool editing = editor_->editing();
    SetItemText(IDC_APPLY, editing ? "修改" : "添加");
    for (int id : {IDC_WATCH_LIST, IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_MODIFY, IDC_DELETE, IDC_CODE}) {
        Item(id).Enable(!editing);
    }
    Item(IDC_COMPUTE_ALL).Enable(!editing && balance_button_ != IDC_COMPUTE);
    Item(IDC_CANCEL_EDIT).Show(editing ? SW_SHOW : SW_HIDE);
}

void CTickraDlg::Tell(std::string_view text) const {
    services_.message_box(hwnd(), text, "Tickra", MB_OK | MB_ICONEXCLAMATION);
}

void CTickraDlg::TellNotSaved() const {
    Tell("code.ini 无法保存，这次修改没有生效。\r\n\r\n" + code_ini_path_);
}

void CTickraDlg::OnApply() {
    EditFields fields = ReadFields();
    switch (editor_->Apply(fields, watch_view_.SelectedItem())) {
        case WatchListEditor::ApplyResult::kCodeMissing:
            Tell("先输入股票代码。");
            return;
        case WatchListEditor::ApplyResult::kNotSaved:
            TellNotSaved();
            return;
        case WatchListEditor::ApplyResult::kDuplicate:
            Tell("这只股票已在列表中。");
            return;
        case WatchListEditor::ApplyResult::kNotStorable:
            Tell("代码中不能有 [ ] = 或控制字符，价格中不能有控制字符。");
            return;
        case WatchListEditor::ApplyResult::kAdded:
            AppendRowToView(rows_.back());
            break;
        case WatchListEditor::ApplyResult::kChanged:
            ShowRow(static_cast<size_t>(watch_view_.SelectedItem()));
            break;
    }
    WriteFields(fields);
    ShowEditMode();
}

void CTickraDlg::OnModify() {
    EditFields fields;
    if (editor_->Modify(watch_view_.SelectedItem(), fields)) {
        WriteFields(fields);
        ShowEditMode();
    }
}

void CTickraDlg::OnCancelEdit() {
    EditFields fields;
    editor_->Cancel(fields);
    WriteFields(fields);
    ShowEditMode();
}

void CTickraDlg::OnDelete() {
    const int selected = watch_view_.SelectedItem();
    const WatchListEditor::DeleteResult result = editor_->Delete(selected);
    if (result == WatchListEditor::DeleteResult::kNotSaved) {
        TellNotSaved();
    } else if (result == WatchListEditor::DeleteResult::kDeleted) {
        watch_view_.DeleteItem(selected);
        // The ticker may still hold the deleted entry's history: hand it the cleared state.
        if (ticker_host_) {
            ticker_host_->ApplyTickerState(&ticker_state_);
        }
    }
}

void CTickraDlg::OnMove(bool up) {
    const int selected = watch_view_.SelectedItem();
    if (up ? editor_->MoveUp(selected) : editor_->MoveDown(selected)) {
        // The two rows trade texts in place, so a long list keeps its scroll position.
        ShowRow(static_cast<size_t>(selected));
        ShowRow(static_cast<size_t>(up ? selected - 1 : selected + 1));
        watch_view_.ClearSelection();  // each further move needs a new selection
    }
}

void CTickraDlg::OnCompute() {
    if (balance_running()) {
        EndBalance();  // pressed again: stop
        return;
    }
    const std::string code = ItemText(IDC_CODE);
    if (code.empty()) {
        Tell("先输入股票代码。");
        return;
    }
    StartBalance(IDC_COMPUTE, {{0, code, {}}});
}

void CTickraDlg::OnComputeAll() {
    if (balance_running()) {
        EndBalance();
        return;
    }
    std::vector<BalanceItem> items;
    for (const WatchRow& row : rows_) {
        items.push_back({row.entry->serial, row.code, row.sale});
    }
    if (!items.empty()) {
        StartBalance(IDC_COMPUTE_ALL, std::move(items));
    }
}

void CTickraDlg::StartBalance(int button, std::vector<BalanceItem> items) {
    balance_button_ = button;
    // Pressing the button again, or Escape, stops the work.
    SetItemText(button, button == IDC_COMPUTE ? "停止" : "停");
    Item(button == IDC_COMPUTE ? IDC_COMPUTE_ALL : IDC_COMPUTE).Enable(false);
    if (button == IDC_COMPUTE_ALL) {
        SetItemText(IDC_COMPUTE_PROGRESS, Format("0/%u", static_cast<unsigned>(items.size())));
    }
    balance_->Start(std::move(items), services_.clock(),
                    [this](const BalanceItem& item, float price, const std::string& data_date) {
                        OnBalanceResult(item, price, data_date);
                    });
}

void CTickraDlg::OnBalanceResult(const BalanceItem& item, float price,
                                 const std::string& data_date) {
    if (balance_button_ == IDC_COMPUTE) {
        EndBalance();
        if (ItemText(IDC_CODE) != item.code) {
            return;  // the field holds another code now: this price is not for it
        }
        if (price == -1.0f) {
            Tell("提取数据出错。");
            return;
        }
        pending_data_date_ = data_date;
        SetItemText(IDC_SALE, Format("%.2f", price));
        Tell(Format("计算完毕.\r\n\r\n数据日期:%s,平衡价:%.2f.", pending_data_date_.c_str(),
                    static_cast<double>(price)));
        return;
    }
    SetItemText(IDC_COMPUTE_PROGRESS, Format("%u/%u", static_cast<unsigned>(balance_->done()),
                                             static_cast<unsigned>(balance_->total())));
    size_t row = 0;
    switch (editor_->StoreBalance(item, price, data_date, row)) {
        case WatchListEditor::StoreResult::kStored:
            ShowRow(row);
            break;
        case WatchListEditor::StoreResult::kNotSaved:
            EndBalance();  // the rest could not be stored either
            TellNotSaved();
            return;
        case WatchListEditor::StoreResult::kSkipped:
            break;
    }
    if (!balance_->running()) {
        EndBalance();
    }
}

void CTickraDlg::EndBalance() {
    if (!balance_running()) {
        return;
    }
    balance_->Cancel();
    SetItemText(IDC_COMPUTE, "计算");
    SetItemText(IDC_COMPUTE_ALL, "计");
    SetItemText(IDC_COMPUTE_PROGRESS, "");
    Item(IDC_COMPUTE).Enable(true);
    Item(IDC_COMPUTE_ALL).Enable(!editor_->editing());
    balance_button_ = 0;
}

void CTickraDlg::ShowSettings() {
    // Once the user has asked for the window, no late frame paint may hide it again.
    hide_on_frame_paints_ = 0;
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
    // From here on no handler may reach what is freed below: nested message loops (the About
    // box, a message box) still deliver messages until they return.
    ended_ = true;
    if (mailbox()) {
        mailbox()->Close();  // answers still on their way find nothing to run
    }
    KillTimer(hwnd(), kRefreshTimerId);
    KillTimer(hwnd(), kUpgradeReleaseTimerId);
    // Everything under way is aborted or handed over first, then all of it is waited for once,
    // with one bound; a thread stuck anyway is let go.
    tray_.SetIcon(nullptr, nullptr);
    if (update_worker_) {
        update_worker_->Cancel();
    }
    if (transfers_) {
        transfers_->Cancel();
        balance_->Cancel();
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    if (transfers_) {
        transfers_->Join(deadline);
        balance_->Join(deadline);
    }
    if (update_worker_) {
        update_worker_->Join(deadline);
    }
    shell_.Finish(deadline);  // the icon's removal
    ReleaseUpgradeDialog();
    ticker_host_.reset();  // gives the taskbar its room back
    chart_.reset();
    while (!rows_.empty()) {
        RemoveRow(rows_, rows_.size() - 1, ticker_state_);
    }
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
