// Every ticker on screen: one in each taskbar the user chose, all showing the same line. Taskbars
// come and go with monitors and with restarts of the shell, and the tickers follow them.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "taskbar/n_progress_bar_win.h"
#include "taskbar/taskbar_choice.h"
#include "ui/custom_window.h"
#include "ui/message_box.h"
#include "watch/stock_entry.h"
#include "watch/ticker_state.h"

namespace tickra {

class TickerHosts {
public:
    explicit TickerHosts(ui::MessageBoxFunction message_box = ui::SystemMessageBox());

    // Refuses to show anything when another copy of Tickra has a ticker (a box says so); else
    // puts the tickers where the choice says, the primary's first, whose missing bands are told.
    void Create(TaskbarChoice choice);
    // Another choice: tickers are added and dropped at once.
    void SetChoice(TaskbarChoice choice);
    TaskbarChoice choice() const { return choice_; }
    // Hidden, no taskbar has a ticker and each has its room back, whatever the choice, the
    // taskbars that come or a new shell; shown, the tickers come back where the choice says now.
    void SetHidden(bool hidden);
    bool hidden() const { return hidden_; }

    // Follows the taskbars that came or went, then hands every ticker the state and its stock's
    // history (none: no chart) and keeps each in its place.
    void Show(const TickerState& state, const MinuteHistory* history);
    // The shell announced a new taskbar.
    void RequestReembed();
    // Colours, theme or display changed: each ticker looks at its own taskbar again.
    void MatchTaskbarColour();
    // Tickra raised a balloon, which must not hide a ticker.
    void WatchForBalloon();

    bool chart_requested() const { return chart_requested_; }
    void set_chart_requested(bool requested);
    // Told of each click's new chart request, with the ticker that was clicked.
    void set_on_chart_request(std::function<void(bool requested, HWND ticker)> handler) {
        on_chart_request_ = std::move(handler);
    }

    // Told of what the pointer does over any ticker, with that ticker's window.
    void set_on_pointer(
        std::function<void(HWND ticker, CNProgressBar::Pointer what, int value)> handler) {
        on_pointer_ = std::move(handler);
    }

    // The primary taskbar's ticker when there is one, else the first other; null without any.
    CNProgressBar* first() const;
    // The host of this ticker window; null when it has gone.
    CNProgressBar* Find(HWND ticker) const;
    std::vector<CNProgressBar*> all() const;

private:
    void Sync();
    std::unique_ptr<CNProgressBar> Adopt(std::unique_ptr<CNProgressBar> host);

    ui::MessageBoxFunction message_box_;
    TaskbarChoice choice_ = TaskbarChoice::kPrimary;
    bool refused_ = true;  // until Create has looked for another copy
    bool hidden_ = false;
    // While hidden, a second copy finds no ticker: this tells it that one runs.
    ui::CustomWindow hidden_marker_;
    std::unique_ptr<CNProgressBar> primary_;
    std::vector<std::unique_ptr<CNProgressBar>> secondaries_;
    bool chart_requested_ = false;
    std::function<void(bool, HWND)> on_chart_request_;
    std::function<void(HWND, CNProgressBar::Pointer, int)> on_pointer_;
};

}  // namespace tickra
