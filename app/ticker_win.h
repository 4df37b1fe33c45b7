// The ticker: each tick picks the row to show, asks for its quote and, while the user wants it,
// for its chart; the answers come back through the dialog's mailbox, update the model and reach
// the ticker in the taskbar. A transfer stuck too long is given up, and a slow feed stretches the
// cycle instead of piling up requests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "app/dialog_services_win.h"
#include "app/tick_transfers_win.h"
#include "base/mailbox.h"
#include "chart/display_min_dlg_win.h"
#include "taskbar/n_progress_bar_win.h"
#include "ticker/quote_card_win.h"
#include "taskbar/ticker_hosts_win.h"
#include "watch/alert_rules.h"
#include "watch/quote_check.h"
#include "watch/refresh_cycle.h"
#include "watch/watch_model.h"

namespace tickra {

class Ticker {
public:
    // raise: where the alert rules' balloons and message lines go. order: the user's order of
    // the quote feeds.
    Ticker(WatchModel& model, DialogServices services, std::shared_ptr<Mailbox> mailbox,
           std::function<void(const Alert& alert)> raise, bool tips_switch, const FeedOrder& order);

    // Puts the tickers into the taskbars the choice names (a message box tells when it cannot) and
    // makes the hidden chart window, owned by owner.
    void Create(HWND owner, TaskbarChoice choice);
    // The user chose other taskbars.
    void SetTaskbarChoice(TaskbarChoice choice);
    // Holds the rotation on the shown stock, or lets it go on.
    void Hold(bool held);
    bool held() const { return cycle_.held(); }
    // The ticker's own menu: hold the rotation, or let it go on; false for another command.
    bool OnCommand(int id);
    // Start-up's check of the first row, at once and whatever the time, or the empty-list hint.
    void CheckFirstRow();
    // One tick of the refresh cycle; rotation_text: how many ticks each stock stays.
    void Tick(std::string_view rotation_text);
    // Hands the model's ticker state to the ticker and keeps the ticker in its place.
    void Show();
    // The hide key: every ticker, the card and the chart window go, and each taskbar gets its
    // room back; the cycle runs on, and shown again the tickers tell what they missed.
    void SetHidden(bool hidden);
    bool hidden() const { return hosts_ && hosts_->hidden(); }
    // The shell announced a new taskbar.
    void Reembed();
    // Colours, theme or display changed: the ticker reads what it is drawn on again.
    void MatchBackground();
    // Tickra raised a balloon, which must not hide the ticker.
    void WatchForBalloon() {
        if (hosts_) {
            hosts_->WatchForBalloon();
        }
    }
    // No transfer is under way.
    bool idle() const;
    // The user made feed the first choice: the next tick asks it.
    void ChooseFeed(FeedId feed) { cycle_.router().Choose(feed); }
    const FeedRouter& feeds() const { return cycle_.router(); }
    // Settings opened: every alert counts as seen, and the ticker's mark goes.
    void MarkAlertsSeen();
    // The user's switches of the limit and step alerts, from the next answer on.
    void SetMoveSettings(const RefreshCycle::MoveSettings& settings) {
        cycle_.set_move_settings(settings);
    }
    const RefreshCycle::MoveSettings& move_settings() const { return cycle_.move_settings(); }
    // How the lines are dressed and drawn; the line shown and the card follow at once.
    void SetLineStyle(const LineStyle& style) {
        cycle_.SetLineStyle(style, model_);
        Show();
    }

    // Exit: transfers abort at once; Join waits for their threads until the deadline. Destroy
    // then gives the taskbar its room back.
    void Cancel();
    bool Join(SteadyTime deadline);
    void Destroy();

    CNProgressBar* host() const { return hosts_ ? hosts_->first() : nullptr; }
    TickerHosts* hosts() const { return hosts_.get(); }
    CDisplayMinDlg* chart_window() const { return chart_.get(); }

private:
    void StartQuote(size_t row, bool first_check);
    void Fetch(const PendingQuote& pending);
    const std::string& HostOf(FeedId feed) const;
    void OnQuoteAnswer(const PendingQuote& pending, const HttpAnswer& answer);
    void GiveUpStuckTransfers();
    void ShowChart(size_t row);
    void OnChartRequest(bool requested, HWND ticker);
    void OnPointer(HWND ticker, CNProgressBar::Pointer what, int value);
    // The card of the shown stock beside the ticker the pointer rests on, brought up to date.
    void ShowCard();
    // The row of the stock the ticker shows, or of the rotation before anything was shown.
    size_t ShownRow() const;
    void ShowMenu(int at);
    // Past midnight the day's alerts start afresh.
    void ForgetOtherDays();
    // Wheel steps down the list (positive) or up it, whose last row's quote is asked at once.
    void Step(int direction);

    WatchModel& model_;
    DialogServices services_;
    std::function<void(const Alert& alert)> raise_;
    std::shared_ptr<Mailbox> mailbox_;
    RefreshCycle cycle_;
    TickTransfers transfers_;
    std::unique_ptr<TickerHosts> hosts_;
    std::unique_ptr<CDisplayMinDlg> chart_;
    CQuoteCard card_;
    HWND card_ticker_ = nullptr;  // the ticker the pointer rests on, while the card is open
    // Alerts raised and not yet seen (the ticker's mark), the count the open card tells, and the
    // day's alerts with the local day (yyyymmdd) they are of.
    int unseen_ = 0;
    int card_unseen_ = 0;
    std::vector<Alert> today_;
    int today_day_ = 0;
    bool step_waits_ = false;  // a wheel step's quote waits for the one under way
    HWND owner_ = nullptr;
    uint64_t chart_entry_ = 0;  // the stock whose picture the chart window may show
};

}  // namespace tickra
