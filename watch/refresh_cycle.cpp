#include "watch/refresh_cycle.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "base/mbcs.h"
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

QuoteCheckRequest RequestForRow(const WatchRow& row, const LineStyle& style, bool shown) {
    QuoteCheckRequest request;
    request.shown = shown;
    request.code = row.code;
    request.previous_price = row.entry->previous_price;
    request.break_below = ParseFloat(row.break_below);
    request.cross_above = ParseFloat(row.cross_above);
    request.balance = ParseFloat(row.balance);
    if (shown) {
        request.last_good_line = GoodLineOf(row, style);
    }
    request.moves = row.entry->moves;
    request.alias = row.alias;
    request.position = PositionOf(row.cost, row.shares);
    request.style = style;
    return request;
}

void RefreshCycle::SetLineStyle(const LineStyle& style, WatchModel& model) {
    if (const std::optional<size_t> shown = model.Find(shown_entry_)) {
        const WatchRow& row = model.row(*shown);
        if (const std::string was = GoodLineOf(row, style_);
            !was.empty() && model.ticker.text == was) {
            model.ticker.text = GoodLineOf(row, style);
        }
    }
    style_ = style;
}

Feeds MakeFeeds(const Utf8ToProgramText& utf8) {
    Feeds feeds;
    for (FeedId feed : kDefaultFeedOrder) {
        feeds[static_cast<size_t>(feed)] = MakeFeed(feed, utf8);
    }
    return feeds;
}

RefreshCycle::RefreshCycle(Feeds feeds, bool tips_switch, const FeedOrder& order)
    : feeds_(std::move(feeds)), router_(order) {
    tips_.enabled = tips_switch;
}

std::optional<PendingQuote> RefreshCycle::StartQuote(const WatchModel& model, size_t row,
                                                     const LocalTime& now, TimePoint steady,
                                                     bool first_check) {
    if (under_way_ || row >= model.size()) {
        return std::nullopt;
    }
    PendingQuote pending;
    pending.id = ++last_id_;
    pending.entry = model.row(row).entry->serial;
    pending.now = now;
    pending.first_check = first_check;
    under_way_ = Ask(model, row, router_.Next(0, steady).value_or(router_.first()), pending);
    return under_way_;
}

PendingQuote RefreshCycle::Ask(const WatchModel& model, size_t row, FeedId feed,
                               PendingQuote pending) {
    pending.feed = feed;
    const QuoteFeed& source = *feeds_[static_cast<size_t>(feed)];
    const size_t room = std::max<size_t>(source.max_codes(), 1);
    const size_t count = model.size();
    pending.codes = {UpperCaseMbcs(model.row(row).code)};
    // The others in rotation order after the shown one; on a list longer than a request takes,
    // from where the last request's others ended.
    const bool all_fit = count - 1 <= room - 1;
    const size_t start = all_fit ? row + 1 : batch_next_;
    size_t index = start;
    for (size_t i = 0; i < count && pending.codes.size() < room; ++i) {
        index = (start + i) % count;
        std::string code = UpperCaseMbcs(model.row(index).code);
        if (index != row &&
            std::find(pending.codes.begin(), pending.codes.end(), code) == pending.codes.end()) {
            pending.codes.push_back(std::move(code));
        }
    }
    if (!all_fit) {
        batch_next_ = index + 1;
    }
    pending.request = source.Request(pending.codes, pending.now);
    return pending;
}

namespace {

// What the card will tell of the stock after this check.
void KeepFacts(QuoteFacts& facts, const QuoteOutcome& outcome, const std::string& time) {
    if (outcome.trouble == QuoteTrouble::kNone) {
        const Quote& q = outcome.quote;
        facts = QuoteFacts{};
        facts.name = q.name;
        facts.last_text = q.last_text;
        facts.previous_close_text = q.previous_close_text;
        facts.open_text = q.open_text;
        facts.change = q.change;
        facts.percent = q.percent();
        facts.tone = outcome.tone;
        facts.time = time;
        facts.source = outcome.source;
        return;
    }
    if (facts.trouble == QuoteTrouble::kNone) {
        facts.trouble_since = time;
    }
    facts.trouble = outcome.trouble;
    facts.status = outcome.status;
}

}  // namespace

void RefreshCycle::KeepResult(WatchRow& row, const QuoteOutcome& outcome,
                              const PendingQuote& pending, const std::string& time) {
    StockEntry& entry = *row.entry;
    KeepFacts(entry.facts, outcome, time);
    if (!outcome.reached) {
        return;
    }
    // The ticker's chart turns these prices into pixel rows: only numbers may go in.
    const float price = std::isfinite(outcome.price) ? outcome.price : 0.0f;
    entry.previous_price = price;
    entry.moves = outcome.moves;
    if (!pending.first_check) {
        const int minute = MinuteOfDay(pending.now);
        if (InTradingWindow(minute) && entry.minute_stamp != minute) {
            std::copy(entry.history.begin() + 1, entry.history.end(), entry.history.begin());
            entry.minute_stamp = minute;
        }
        entry.history[StockEntry::kLatest] = price;
    }
}

QuoteRound RefreshCycle::FinishQuote(PendingQuote pending, const HttpAnswer& answer,
                                     WatchModel& model, const LocalTime& arrived,
                                     TimePoint steady) {
    QuoteRound round;
    if (!under_way_ || pending.id != under_way_->id || pending.feed != under_way_->feed) {
        return round;
    }
    under_way_.reset();
    const std::optional<size_t> shown = model.Find(pending.entry);
    if (!shown) {
        return round;
    }
    const std::string time = FormatTime(arrived ? arrived : pending.now, "%H:%M:%S");

    QuoteTrouble trouble = QuoteTrouble::kNone;
    FeedQuotes told;
    if (!answer.ok()) {
        trouble = TroubleOf(answer);
    } else if (told = feeds_[static_cast<size_t>(pending.feed)]->Parse(answer.body, pending.codes);
               !told.in_format) {
        trouble = QuoteTrouble::kNotAQuote;
    } else if (!router_.Answered(pending.feed, told.newest, steady,
                                 arrived ? arrived : pending.now)) {
        trouble = QuoteTrouble::kStale;
    }

    std::vector<std::pair<size_t, StockAnswer>> answers;  // by row
    if (trouble != QuoteTrouble::kNone) {
        router_.Failed(pending.feed, trouble, answer.status, time, steady);
        PendingQuote failed = pending;
        if (failed.tried == 0) {
            failed.first_trouble = trouble;
            failed.first_status = answer.status;
        }
        failed.tried |= FeedRouter::Bit(pending.feed);
        const std::optional<FeedId> next = router_.Next(failed.tried, steady);
        if (next) {
            under_way_ = Ask(model, *shown, *next, std::move(failed));
            round.next = under_way_;
            return round;
        }
        // Every feed failed: the stock shown tells of it, as trouble on the way.
        answers.push_back({*shown, {std::nullopt, failed.first_trouble, failed.first_status}});
    } else {
        // A code that the user's first choice does not know is a wrong code; one that only a
        // later feed does not know stays as it was, with the first choice's trouble.
        const bool first_choice = pending.feed == router_.first();
        const FeedHealth& first = router_.health(router_.first());
        std::vector<std::string> row_codes;
        for (const WatchRow& row : model.rows()) {
            row_codes.push_back(UpperCaseMbcs(row.code));
        }
        for (const std::string& code : pending.codes) {
            const auto told_quote = told.quotes.find(code);
            const bool known = told_quote != told.quotes.end() &&
                               (first_choice || told_quote->second.kind != Quote::Kind::kMissing);
            StockAnswer stock;
            stock.source = pending.feed;
            if (known) {
                stock.quote = told_quote->second;
            } else if (first_choice) {
                stock.quote = Quote{};
            } else {
                stock.trouble =
                    first.trouble != QuoteTrouble::kNone ? first.trouble : QuoteTrouble::kNotAQuote;
                stock.status = first.status;
            }
            for (size_t i = 0; i < row_codes.size(); ++i) {
                if (row_codes[i] == code) {
                    answers.emplace_back(i, stock);
                }
            }
        }
    }

    for (const auto& [index, stock] : answers) {
        WatchRow& row = model.row(index);
        // The prices as they are now: an edit made while the answer was on its way counts.
        QuoteCheckRequest request = RequestForRow(row, style_, index == *shown);
        request.limit_alerts = move_settings_.limits;
        request.step = move_settings_.step;
        QuoteOutcome outcome = CheckQuote(request, stock, pending.now, tips_);
        KeepResult(row, outcome, pending, time);
        std::move(outcome.alerts.begin(), outcome.alerts.end(), std::back_inserter(round.alerts));
        if (index != *shown || (held_ && !Shows(model.rows(), pending.entry))) {
            continue;
        }
        model.ticker.flags = outcome.flags;
        model.ticker.text = std::move(outcome.line);
        model.ticker.tone = outcome.tone;
        if (outcome.reference_price) {
            model.reference_price = *outcome.reference_price;
        }
        shown_entry_ = pending.entry;
        if (!pending.first_check) {
            model.ticker.reference_price = model.reference_price;
            model.ticker.stock = pending.entry;
        }
        round.shown = true;
    }
    return round;
}

}  // namespace tickra
