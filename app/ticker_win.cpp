#include "app/ticker_win.h"

#include <algorithm>
#include <utility>

#include <windowsx.h>

#include "base/code_page_win.h"
#include "base/unique_handle_win.h"
#include "chart/chart_url.h"
#include "res/resource.h"
#include "watch/quote_card.h"

namespace tickra {

namespace {

// After a wheel step the rotation waits this long on the stock stepped to.
constexpr std::chrono::seconds kStepWait{10};

}  // namespace

Ticker::Ticker(WatchModel& model, DialogServices services, std::shared_ptr<Mailbox> mailbox,
               std::function<void(const Alert& alert)> raise, bool tips_switch,
               const FeedOrder& order)
    : model_(model),
      services_(std::move(services)),
      raise_(std::move(raise)),
      mailbox_(std::move(mailbox)),
      cycle_(MakeFeeds(Utf8ToProgram), tips_switch, order),
      transfers_(mailbox_, services_.http) {}

void Ticker::Create(HWND owner, TaskbarChoice choice) {
    owner_ = owner;
    hosts_ = std::make_unique<TickerHosts>(services_.message_box);
    hosts_->Create(choice);
    hosts_->set_on_chart_request(
        [this](bool requested, HWND ticker) { OnChartRequest(requested, ticker); });
    hosts_->set_on_pointer([this](HWND ticker, CNProgressBar::Pointer what, int value) {
        OnPointer(ticker, what, value);
    });
    hosts_->MatchTaskbarColour();
    CNProgressBar* first = hosts_->first();
    chart_ = std::make_unique<CDisplayMinDlg>(first != nullptr ? first->hwnd() : nullptr,
                                              [this] { hosts_->set_chart_requested(false); });
    chart_->Create(owner);
}

void Ticker::SetTaskbarChoice(TaskbarChoice choice) {
    if (hosts_) {
        hosts_->SetChoice(choice);
        Show();
    }
}

void Ticker::CheckFirstRow() {
    if (model_.empty()) {
        SetEmptyListState(model_.ticker);
        Show();
    } else {
        StartQuote(0, true);  // its history starts with the first tick
    }
}

void Ticker::Tick(std::string_view rotation_text) {
    if (model_.empty()) {
        SetEmptyListState(model_.ticker);
        Show();
        return;
    }
    GiveUpStuckTransfers();
    const auto row = static_cast<size_t>(
        cycle_.ChooseRow(static_cast<int>(model_.size()), rotation_text, services_.steady_clock()));
    ShowChart(row);  // asked whether the feed answers or not
    if (cycle_.quote_in_flight()) {
        Show();  // the feed is slow: the cycle waits, the ticker still keeps its place
        return;
    }
    StartQuote(row, false);
}

void Ticker::Show() {
    if (hosts_) {
        model_.ticker.held = cycle_.held();
        model_.ticker.unseen = unseen_;
        model_.ticker.mono = cycle_.line_style().mono;
        hosts_->Show(model_.ticker, model_.HistoryOf(model_.ticker.stock));
        ShowCard();
    }
}

void Ticker::Hold(bool held) {
    if (held && !model_.empty()) {
        cycle_.HoldOn(static_cast<int>(ShownRow()));  // not the next, while its answer is out
    } else {
        cycle_.set_held(false);
    }
    Show();
}

bool Ticker::OnCommand(int id) {
    if (id != ID_TICKER_HOLD && id != ID_TICKER_ROTATE) {
        return false;
    }
    Hold(id == ID_TICKER_HOLD && !held());
    return true;
}

size_t Ticker::ShownRow() const {
    return model_.Find(cycle_.shown_entry())
        .value_or(static_cast<size_t>(cycle_.current_row()) % std::max<size_t>(model_.size(), 1));
}

void Ticker::OnPointer(HWND ticker, CNProgressBar::Pointer what, int value) {
    switch (what) {
        case CNProgressBar::Pointer::kRest:
            // The card does not change under the reader's eyes: the rotation waits meanwhile.
            // It tells the alerts unseen till now, which are seen from then on.
            card_ticker_ = ticker;
            card_unseen_ = std::exchange(unseen_, 0);
            cycle_.set_paused(true);
            Show();
            break;
        case CNProgressBar::Pointer::kLeave:
            card_ticker_ = nullptr;
            card_unseen_ = 0;
            cycle_.set_paused(false);
            card_.Hide();
            break;
        case CNProgressBar::Pointer::kMenu:
            // Opened from the mailbox, not inside the ticker's own message: Exit while the menu
            // is up may destroy the ticker.
            mailbox_->Post("ticker menu", [this, value] { ShowMenu(value); });
            break;
        case CNProgressBar::Pointer::kWheel:
            Step(-value);  // turned toward the user: down the list
            break;
    }
}

void Ticker::ShowCard() {
    CNProgressBar* host = hosts_ ? hosts_->Find(card_ticker_) : nullptr;
    if (card_ticker_ != nullptr && host == nullptr) {
        // Its ticker went under the pointer (a shell restart, a taskbar lost): no leave will
        // come, and the rotation must not wait for one.
        card_ticker_ = nullptr;
        cycle_.set_paused(false);
    }
    const size_t row = ShownRow();
    if (host == nullptr || row >= model_.size()) {
        card_.Hide();  // its ticker went, or the list is empty
        return;
    }
    ForgetOtherDays();  // the card lists today's alerts only
    std::vector<CardLine> lines =
        QuoteCardLines(model_.row(row), row, model_.size(), cycle_.held(), cycle_.router());
    AddPositionLines(lines, model_.row(row), model_.rows(), cycle_.line_style().hide_amounts);
    AddAlertLines(lines, card_unseen_, today_);
    card_.ShowBeside(card_ticker_, lines, host->colours(), host->metrics().font_height);
}

void Ticker::ForgetOtherDays() {
    if (const int day = DayNumber(services_.clock()); day != today_day_) {
        today_.clear();
        today_day_ = day;
    }
}

void Ticker::MarkAlertsSeen() {
    if (std::exchange(unseen_, 0) > 0) {
        Show();
    }
}

void Ticker::ShowMenu(int at) {
    const UniqueMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TICKER_MENU)));
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (popup == nullptr) {
        return;
    }
    CheckMenuItem(popup, ID_TICKER_HOLD,
                  MF_BYCOMMAND | static_cast<UINT>(held() ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(popup, ID_TICKER_ROTATE,
                   MF_BYCOMMAND | static_cast<UINT>(held() ? MF_ENABLED : MF_GRAYED));
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(owner_);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, GET_X_LPARAM(at), GET_Y_LPARAM(at), 0, owner_, nullptr);
    PostMessageW(owner_, WM_NULL, 0, 0);
}

void Ticker::Step(int direction) {
    if (model_.empty()) {
        return;
    }
    const auto row = static_cast<size_t>(cycle_.Step(static_cast<int>(model_.size()), direction,
                                                     services_.steady_clock() + kStepWait));
    ShowChart(row);
    if (cycle_.quote_in_flight()) {
        step_waits_ = true;  // asked as soon as the answer under way is in
    } else {
        StartQuote(row, false);
    }
    ShowCard();
}

void Ticker::SetHidden(bool hidden) {
    if (!hosts_ || hidden == hosts_->hidden()) {
        return;
    }
    hosts_->SetHidden(hidden);
    if (hidden) {
        chart_->window().Show(SW_HIDE);  // asked for still: it comes back with the tickers
    }
    Show();  // the card goes with its ticker; shown, the tickers get the state at once
}

void Ticker::Reembed() {
    // At logon the shell may come while start-up still waits in a box, before there is a ticker.
    if (hosts_) {
        hosts_->RequestReembed();
    }
}

void Ticker::MatchBackground() {
    if (hosts_) {
        hosts_->MatchTaskbarColour();
    }
}

bool Ticker::idle() const {
    return !cycle_.quote_in_flight() && !transfers_.chart_in_flight();
}

void Ticker::StartQuote(size_t row, bool first_check) {
    const std::optional<PendingQuote> pending =
        cycle_.StartQuote(model_, row, services_.clock(), services_.steady_clock(), first_check);
    if (pending) {
        Fetch(*pending);
    }
}

const std::string& Ticker::HostOf(FeedId feed) const {
    switch (feed) {
        case FeedId::kSina:
            return services_.sina_host;
        case FeedId::kTencent:
            return services_.tencent_host;
        case FeedId::kEastmoney:
            return services_.eastmoney_host;
        case FeedId::kClassic:
            break;
    }
    return services_.quote_host;
}

void Ticker::Fetch(const PendingQuote& pending) {
    const bool asked = transfers_.FetchQuote(
        pending.feed, HostOf(pending.feed), pending.request, services_.steady_clock(),
        [this, pending](const HttpAnswer& answer) { OnQuoteAnswer(pending, answer); });
    if (!asked) {
        OnQuoteAnswer(pending, HttpAnswer{});  // a given-up request still hangs: the host is down
    }
}

void Ticker::OnQuoteAnswer(const PendingQuote& pending, const HttpAnswer& answer) {
    QuoteRound round =
        cycle_.FinishQuote(pending, answer, model_, services_.clock(), services_.steady_clock());
    if (!round.alerts.empty()) {
        ForgetOtherDays();
    }
    for (const Alert& alert : round.alerts) {
        raise_(alert);
        today_.push_back(alert);
        // An open card shows it: it is seen as it comes.
        ++(card_ticker_ != nullptr ? card_unseen_ : unseen_);
    }
    if (!round.alerts.empty()) {
        round.shown = true;  // the mark, and the card's list
    }
    if (round.shown) {
        Show();
    }
    if (round.next) {
        Fetch(*round.next);  // the feed failed: the next one, in the same tick
        return;
    }
    if (std::exchange(step_waits_, false) && !model_.empty()) {
        StartQuote(static_cast<size_t>(cycle_.current_row()) % model_.size(), false);
    }
}

void Ticker::GiveUpStuckTransfers() {
    const TickTransfers::GivenUp given_up =
        transfers_.GiveUpOverdue(services_.steady_clock(), services_.give_up_after);
    if (given_up.quote && cycle_.under_way()) {
        OnQuoteAnswer(*cycle_.under_way(), HttpAnswer{});  // network trouble, shown as such
    }
}

void Ticker::ShowChart(size_t row) {
    if (!hosts_->chart_requested() || hosts_->hidden()) {
        chart_->window().Show(SW_HIDE);
        return;
    }
    if (!chart_->window().IsVisible()) {
        // Without the focus: the user is busy elsewhere, and activation would wait for the shell.
        chart_->window().Show(SW_SHOWNOACTIVATE);
        SetWindowPos(chart_->hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    // Another stock's picture never stays beside this one.
    const uint64_t entry = model_.row(row).entry->serial;
    if (chart_entry_ != entry) {
        chart_->ShowPicture(std::nullopt);
        chart_entry_ = entry;
    }
    // One download at a time; the window keeps its picture meanwhile. A picture that comes after
    // the rotation moved on is not for the stock shown.
    transfers_.FetchChart(
        ChartUrl(services_.chart_host, model_.row(row).code, services_.clock()),
        services_.steady_clock(), [this, entry](std::optional<ChartPicture> picture) {
            if (hosts_ && hosts_->chart_requested() && cycle_.Shows(model_.rows(), entry)) {
                chart_->ShowPicture(std::move(picture));
            }
        });
}

void Ticker::OnChartRequest(bool requested, HWND ticker) {
    // Off hides the window at once; on shows it beside the ticker clicked with the next tick,
    // which fetches the picture.
    if (!chart_) {
        return;
    }
    if (requested) {
        chart_->PlaceBeside(ticker);
    } else {
        chart_->window().Show(SW_HIDE);
    }
}

void Ticker::Cancel() {
    transfers_.Cancel();
}

bool Ticker::Join(SteadyTime deadline) {
    return transfers_.Join(deadline);
}

void Ticker::Destroy() {
    card_.Destroy();
    hosts_.reset();  // gives the taskbars their room back
    chart_.reset();
}

}  // namespace tickra
