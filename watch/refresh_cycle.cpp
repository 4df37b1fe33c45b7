#include "watch/refresh_cycle.h"

#include <algorithm>
#include <cmath>

#include "base/text_util.h"

namespace tickra {

bool InTradingWindow(int minute) {
    return (minute >= 540 && minute <= 690) || (minute >= 780 && minute <= 900);
}

void SetEmptyListState(TickerState& ticker) {
    ticker.flags = {};
    ticker.tone = Tone::kMissing;
    ticker.text = "请加入股票.";
}

int RefreshCycle::ChooseRow(int row_count, std::string_view rotation_text, TimePoint now) {
    if ((under_way_ || held_ || paused_ || now < waiting_until_) && current_index_ < row_count) {
        return current_index_;
    }
    ++tick_counter_;
    const int ticks_per_stock = rotation_text.empty() ? 5 : ParseInt(rotation_text);
    if (tick_counter_ >= ticks_per_stock) {
        ++current_index_;
        tick_counter_ = 0;
    }
    // Rows may have been deleted since the last tick: never show one that does not exist.
    if (current_index_ >= row_count || current_index_ < 0) {
        current_index_ = 0;
    }
    return current_index_;
}

void RefreshCycle::HoldOn(int row) {
    held_ = true;
    current_index_ = row;
    tick_counter_ = 0;
}

int RefreshCycle::Step(int row_count, int direction, TimePoint until) {
    current_index_ = ((current_index_ + direction) % row_count + row_count) % row_count;
    tick_counter_ = 0;
    waiting_until_ = until;
    return current_index_;
}

bool RefreshCycle::Shows(const WatchList& rows, uint64_t entry) const {
    return current_index_ >= 0 && static_cast<size_t>(current_index_) < rows.size() &&
           rows[static_cast<size_t>(current_index_)].entry->serial == entry;
}

QuoteCheckRequest RequestForRow(const WatchRow& row) {
    QuoteCheckRequest request;
    request.code = row.code;
    request.previous_price = row.entry->previous_price;
    request.break_below = ParseFloat(row.break_below);
    request.cross_above = ParseFloat(row.cross_above);
    request.balance = ParseFloat(row.balance);
    request.last_good_line = row.entry->last_good_line;
    return request;
}

std::optional<PendingQuote> RefreshCycle::StartQuote(const WatchRow& row,
                                                     const QuoteChecker& checker,
                                                     const LocalTime& now, bool first_check) {
    if (under_way_) {
        return std::nullopt;
    }
    under_way_.emplace(PendingQuote{++last_id_, row.entry->serial, checker.Object(row.code, now),
                                    now, first_check});
    return under_way_;
}

namespace {

// What the card will tell of the stock after this check.
void KeepFacts(QuoteFacts& facts, const QuoteOutcome& outcome, const TickerState& ticker,
               const std::string& time) {
    if (outcome.trouble == QuoteTrouble::kNone) {
        const Quote& q = outcome.quote;
        facts = QuoteFacts{};
        facts.name = q.name;
        facts.last_text = q.last_text;
        facts.previous_close_text = q.previous_close_text;
        facts.open_text = q.open_text;
        facts.change = q.change;
        facts.percent = q.percent();
        facts.tone = ticker.tone;
        facts.time = time;
        return;
    }
    if (facts.trouble == QuoteTrouble::kNone) {
        facts.trouble_since = time;
    }
    facts.trouble = outcome.trouble;
    facts.status = outcome.status;
}

}  // namespace

bool RefreshCycle::FinishQuote(const PendingQuote& pending, const HttpAnswer& answer,
                               WatchModel& model, QuoteChecker& checker, AlertSink& alerts,
                               const LocalTime& arrived) {
    if (!under_way_ || pending.id != under_way_->id) {
        return false;
    }
    under_way_.reset();
    const std::optional<size_t> index = model.Find(pending.entry);
    if (!index) {
        return false;
    }
    WatchRow* row = &model.row(*index);
    // The prices as they are now: an edit made while the answer was on its way counts.
    StockEntry& entry = *row->entry;
    TickerState ticker = model.ticker;
    float reference_price = model.reference_price;
    const QuoteOutcome outcome =
        checker.Apply(RequestForRow(*row), answer, pending.now, ticker, reference_price, alerts);
    KeepFacts(entry.facts, outcome, ticker,
              FormatTime(arrived ? arrived : pending.now, "%H:%M:%S"));
    if (outcome.reached) {
        // The ticker's chart turns these prices into pixel rows: only numbers may go in.
        const float price = std::isfinite(outcome.price) ? outcome.price : 0.0f;
        entry.previous_price = price;
        if (!outcome.good_line.empty()) {
            entry.last_good_line = outcome.good_line;
        }
        if (!pending.first_check) {
            const int minute = MinuteOfDay(pending.now);
            if (InTradingWindow(minute) && entry.minute_stamp != minute) {
                std::copy(entry.history.begin() + 1, entry.history.end(), entry.history.begin());
                entry.minute_stamp = minute;
            }
            entry.history[StockEntry::kLatest] = price;
        }
    }
    if (held_ && !Shows(model.rows(), entry.serial)) {
        return false;
    }
    model.ticker = std::move(ticker);
    model.reference_price = reference_price;
    shown_entry_ = entry.serial;
    if (!pending.first_check) {
        model.ticker.reference_price = model.reference_price;
        model.ticker.stock = entry.serial;
    }
    return true;
}

}  // namespace tickra
