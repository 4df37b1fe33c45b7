// The main dialog: settings window of the watch list and owner of everything that runs.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/tick_transfers_win.h"
#include "base/local_time.h"
#include "chart/display_min_dlg_win.h"
#include "edit/watch_list_editor.h"
#include "history/balance_run_win.h"
#include "history/history_table.h"
#include "net/http.h"
#include "net/http_client_win.h"
#include "taskbar/n_progress_bar_win.h"
#include "taskbar/shell_thread_win.h"
#include "taskbar/tray_icon_win.h"
#include "ui/dialog.h"
#include "ui/list_view.h"
#include "ui/message_box.h"
#include "update/html_ctrl_win.h"
#include "update/update_check_win.h"
#include "update/upgrade_dlg_win.h"
#include "watch/alert_rules.h"
#include "watch/profile_file.h"
#include "watch/profile_file_win.h"
#include "watch/quote_check.h"
#include "watch/refresh_cycle.h"
#include "watch/ticker_state.h"
#include "watch/watch_list.h"

namespace tickra {

// What the dialog reaches the outside world through; tests replace them.
struct DialogServices {
    AbortableHttpFunction http;  // run on a worker, never on the dialog's thread
    Clock clock;
    ui::MessageBoxFunction message_box;
    std::string quote_host;
    HistoryHosts history_hosts;
    std::string chart_host;
    std::string update_host;
    std::string help_url;
    // Opens an address in the user's browser; empty: on the shell thread, as the program does.
    std::function<void(const std::string& url)> open_url;
    UpgradeServices upgrade;
};

// The network, the clock and the hosts of the build.
DialogServices DefaultServices();

class CTickraDlg : public ui::Dialog, private AlertSink {
public:
    // arguments: the command-line text after the program name.
    explicit CTickraDlg(std::string arguments, DialogServices services = DefaultServices());
    ~CTickraDlg() override;

    bool PreTranslateMessage(MSG& message) override;

    // Settings: show the dialog with its taskbar button. Close: hide both.
    void ShowSettings();
    void HideSettings();
    // Exit: frees everything the dialog owns and ends its modal loop.
    void Teardown();

    // One tick of the refresh cycle: starts the quote check of the row to show, unless the last
    // one is still under way; its answer finishes the tick when it comes.
    void OnRefreshTick();
    // No transfer of the dialog's is under way (tests wait for this).
    bool idle() const;

    const WatchList& watch_list() const { return rows_; }
    const TickerState& ticker_state() const { return ticker_state_; }
    CNProgressBar* ticker_host() const { return ticker_host_.get(); }
    CDisplayMinDlg* chart_window() const { return chart_.get(); }
    CUpGradeDlg* upgrade_dialog() const { return upgrade_.get(); }
    const CHtmlCtrl& announcement_panel() const { return html_panel_; }
    const CTrayIcon& tray_icon() const { return tray_; }
    const std::string& code_ini_path() const { return code_ini_path_; }
    bool tips_switch() const { return tips_switch_; }

protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    bool OnCommand(int id, int notify_code, HWND control) override;

private:
    void AddAboutToSystemMenu() const;
    void SetUpListViews() const;
    void LoadWatchListFromFile();
    void AppendRowToView(const WatchRow& row) const;
    void ShowRow(size_t index) const;
    void ShowAllRows() const;

    // Watch-list editing and balance prices.
    EditFields ReadFields() const;
    void WriteFields(const EditFields& fields) const;
    void ShowEditMode();
    void OnApply();
    void OnModify();
    void OnCancelEdit();
    void OnDelete();
    void OnMove(bool up);
    void OnCompute();
    void OnComputeAll();
    void StartBalance(int button, std::vector<BalanceItem> items);
    void OnBalanceResult(const BalanceItem& item, float price, const std::string& data_date);
    void EndBalance();
    bool balance_running() const { return balance_button_ != 0; }
    void Tell(std::string_view text) const;
    void TellNotSaved() const;
    void CheckFirstRow();
    void StartQuote(size_t row, bool first_check);
    void OnQuoteAnswer(const PendingQuote& pending, const HttpAnswer& answer);
    void RefreshChart(const std::string& code);
    void GiveUpStuckTransfers();
    void OnChartRequest(bool requested);
    void OnUpdateNotice(const std::optional<UpdateNotice>& notice);
    void OnUpgradeEnd(CUpGradeDlg::End end);
    void OpenUrl(const std::wstring& url);
    void CreateTickerHost();
    void ReleaseUpgradeDialog();
    // Hands the ticker state to the ticker and repaints it where it belongs.
    void ShowTickerState();
    void PaintMinimised();
    void Raise(const Alert& alert, const std::string& time_text) override;

    std::string arguments_;
    DialogServices services_;
    bool initialized_ = false;
    bool ended_ = false;  // Teardown has run
    struct DeferredCommand {
        WPARAM wparam;
        LPARAM lparam;
        bool operator==(const DeferredCommand&) const = default;
    };
    std::vector<DeferredCommand> deferred_commands_;
    HICON icon_ = nullptr;  // shared resource icon: never destroyed
    // The dialog is shown by its modal loop; the first frame paints hide it again, so the program
    // starts with only its ticker and tray icon on screen.
    int hide_on_frame_paints_ = 2;

    // The tick's transfers and the longer balance computations on threads of their own, so that
    // a slow history provider never stops the ticker.
    std::unique_ptr<TickTransfers> transfers_;
    std::unique_ptr<BalanceRun> balance_;
    std::unique_ptr<NetWorker> update_worker_;
    int balance_button_ = 0;  // the balance command under way, 0 for none

    std::unique_ptr<CDisplayMinDlg> chart_;
    std::unique_ptr<CUpGradeDlg> upgrade_;
    // Closed by Exit while one of its handlers still ran; freed with the dialog.
    std::unique_ptr<CUpGradeDlg> abandoned_upgrade_;
    std::unique_ptr<CNProgressBar> ticker_host_;
    CHtmlCtrl html_panel_;
    ShellThread shell_;  // before the tray icon, which hands its calls to it
    CTrayIcon tray_;
    WatchList rows_;
    TickerState ticker_state_;
    RefreshCycle cycle_;
    std::unique_ptr<QuoteChecker> checker_;
    float reference_price_ = -1.0f;
    std::string code_ini_path_;
    std::string pending_data_date_;
    std::unique_ptr<PrivateProfileFile> code_ini_file_;
    std::unique_ptr<ProfileFile> code_ini_;  // writes through to the file once allowed
    std::unique_ptr<WatchListEditor> editor_;
    bool tips_switch_ = false;

    ui::ListView watch_view_;
    ui::ListView message_view_;
};

}  // namespace tickra
