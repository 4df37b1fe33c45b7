// The main dialog: the settings window of the watch list, and owner of everything that runs. It
// keeps the order of start-up and of teardown, and routes messages to its parts: the watch list
// page, the balance buttons, the ticker, the tray's choices and the update offer.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/balance_buttons_win.h"
#include "app/dialog_services_win.h"
#include "app/ticker_win.h"
#include "app/tray_choices_win.h"
#include "app/update_offer_win.h"
#include "app/watch_list_page_win.h"
#include "tray/shell_thread_win.h"
#include "tray/tray_icon_win.h"
#include "ui/dialog.h"
#include "update/html_ctrl_win.h"
#include "watch/alert_rules.h"
#include "watch/watch_model.h"

namespace tickra {

class CTickraDlg : public ui::Dialog {
public:
    // arguments: the command-line text after the program name.
    explicit CTickraDlg(std::string arguments, DialogServices services = DefaultServices());
    ~CTickraDlg() override;

    bool PreTranslateMessage(MSG& message) override;

    // Settings: show the dialog with its taskbar button. Close: hide both.
    void ShowSettings();
    void HideSettings();
    // Exit: ends everything the dialog owns and its modal loop.
    void Teardown();

    // One tick of the refresh cycle.
    void OnRefreshTick();
    // No transfer of the dialog's, nor the reading of code.ini, is under way (tests wait for this).
    bool idle() const;

    const WatchList& watch_list() const { return model_.rows(); }
    const TickerState& ticker_state() const { return model_.ticker; }
    CNProgressBar* ticker_host() const { return ticker_ ? ticker_->host() : nullptr; }
    CDisplayMinDlg* chart_window() const { return ticker_ ? ticker_->chart_window() : nullptr; }
    CUpGradeDlg* upgrade_dialog() const { return update_ ? update_->dialog() : nullptr; }
    const CHtmlCtrl& announcement_panel() const { return html_panel_; }
    const std::string& code_ini_path() const { return code_ini_path_; }
    TickerHosts* ticker_hosts() const { return ticker_ ? ticker_->hosts() : nullptr; }
    bool tips_switch() const { return tips_switch_; }

protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    bool OnCommand(int id, int notify_code, HWND control) override;

private:
    void OpenUrl(const std::wstring& url);
    void Raise(const Alert& alert);

    std::string arguments_;
    DialogServices services_;
    HICON icon_ = nullptr;  // shared resource icon: never destroyed
    bool tips_switch_ = false;
    std::string code_ini_path_;
    std::unique_ptr<TrayChoices> choices_;  // made before the ticker, from tickra.ini

    // Start-up may wait in message boxes (a second copy, an unreadable code.ini), whose loops
    // deliver the tray's commands and the timer: until it has ended, commands wait (DeferCommand)
    // and ticks do nothing.
    bool initialized_ = false;
    // From Exit on, nested loops (the About box, a message box) still deliver messages until
    // they return: nothing may start again or reach what Exit freed.
    bool ended_ = false;
    // The modal loop shows the dialog; its first frame paints hide it again, so that the program
    // starts with only its ticker and tray icon on screen.
    int hide_on_frame_paints_ = 2;

    // The parts hold the model, never each other's members, and are freed before it. The ticker
    // control keeps its own copy of the history it draws, so that no row's deletion can leave it
    // a dangling pointer; the model's ticker state is cleared by the model itself.
    WatchModel model_;
    CHtmlCtrl html_panel_;
    ShellThread shell_;  // before the tray icon, which hands its calls to it
    CTrayIcon tray_;
    std::unique_ptr<WatchListPage> page_;
    std::unique_ptr<BalanceButtons> balance_;
    std::unique_ptr<Ticker> ticker_;
    std::unique_ptr<UpdateOffer> update_;
};

}  // namespace tickra
