#include "taskbar/ticker_hosts_win.h"

#include <algorithm>
#include <utility>

namespace tickra {

TickerHosts::TickerHosts(ui::MessageBoxFunction message_box)
    : message_box_(std::move(message_box)) {}

void TickerHosts::Create(TaskbarChoice choice) {
    choice_ = choice;
    refused_ = CNProgressBar::AnotherTickerRuns();
    if (refused_) {
        message_box_(nullptr, "程序已经运行,不需再启动.", "提示", MB_ICONWARNING);
        return;
    }
    if (TargetsFor(choice_, !SecondaryTaskbars().empty()).primary) {
        primary_ = Adopt(std::make_unique<CNProgressBar>(message_box_));
    }
    Sync();
}

void TickerHosts::SetChoice(TaskbarChoice choice) {
    choice_ = choice;
    Sync();
}

void TickerHosts::SetHidden(bool hidden) {
    hidden_ = hidden;
    if (hidden_) {
        primary_.reset();  // each host gives its taskbar the room back
        secondaries_.clear();
        hidden_marker_.Create({kHiddenTickersClass}, WS_EX_TOOLWINDOW, WS_POPUP, {0, 0, 0, 0},
                              nullptr);
    } else {
        hidden_marker_.Destroy();
        Sync();
    }
}

void TickerHosts::Sync() {
    if (refused_ || hidden_) {
        return;
    }
    const std::vector<HWND> taskbars = SecondaryTaskbars();
    const TickerTargets targets = TargetsFor(choice_, !taskbars.empty());
    // A ticker whose taskbar went has gone with it: its host goes without a word.
    std::erase_if(secondaries_, [&](const std::unique_ptr<CNProgressBar>& host) {
        return !targets.secondaries || host->gone();
    });
    for (HWND taskbar : taskbars) {
        if (targets.secondaries &&
            std::none_of(secondaries_.begin(), secondaries_.end(),
                         [taskbar](const auto& host) { return host->taskbar() == taskbar; })) {
            // A taskbar that goes meanwhile leaves a host without a ticker, dropped next time.
            secondaries_.push_back(
                Adopt(std::make_unique<CNProgressBar>(CNProgressBar::Role::kSecondary, taskbar)));
            secondaries_.back()->MatchTaskbarColour();
        }
    }
    if (!targets.primary) {
        primary_.reset();  // the ReBar gets its room back
    } else if (!primary_) {
        primary_ = Adopt(std::make_unique<CNProgressBar>(CNProgressBar::Role::kPrimary, nullptr));
        primary_->MatchTaskbarColour();
    }
}

std::unique_ptr<CNProgressBar> TickerHosts::Adopt(std::unique_ptr<CNProgressBar> host) {
    host->set_chart_requested(chart_requested_);
    host->set_on_chart_request([this, ticker = host.get()](bool) {
        set_chart_requested(!chart_requested_);
        if (on_chart_request_) {
            on_chart_request_(chart_requested_, ticker->hwnd());
        }
    });
    host->set_on_pointer([this, ticker = host.get()](CNProgressBar::Pointer what, int value) {
        if (on_pointer_) {
            on_pointer_(ticker->hwnd(), what, value);
        }
    });
    return host;
}

void TickerHosts::Show(const TickerState& state, const MinuteHistory* history) {
    Sync();
    for (CNProgressBar* host : all()) {
        host->ApplyTickerState(state, history);
        host->KeepInPlace();
    }
}

void TickerHosts::RequestReembed() {
    if (primary_) {
        primary_->RequestReembed();
    }
}

void TickerHosts::MatchTaskbarColour() {
    for (CNProgressBar* host : all()) {
        host->MatchTaskbarColour();
    }
}

void TickerHosts::WatchForBalloon() {
    for (CNProgressBar* host : all()) {
        host->WatchForBalloon();
    }
}

void TickerHosts::set_chart_requested(bool requested) {
    chart_requested_ = requested;
    for (CNProgressBar* host : all()) {
        host->set_chart_requested(requested);
    }
}

CNProgressBar* TickerHosts::first() const {
    if (primary_) {
        return primary_.get();
    }
    return secondaries_.empty() ? nullptr : secondaries_.front().get();
}

CNProgressBar* TickerHosts::Find(HWND ticker) const {
    for (CNProgressBar* host : all()) {
        if (ticker != nullptr && host->hwnd() == ticker) {
            return host;
        }
    }
    return nullptr;
}

std::vector<CNProgressBar*> TickerHosts::all() const {
    std::vector<CNProgressBar*> hosts;
    if (primary_) {
        hosts.push_back(primary_.get());
    }
    for (const auto& host : secondaries_) {
        hosts.push_back(host.get());
    }
    return hosts;
}

}  // namespace tickra
