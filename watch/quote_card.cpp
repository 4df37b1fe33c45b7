#include "watch/quote_card.h"

#include <algorithm>

#include "base/mbcs.h"
#include "base/text_util.h"
#include "watch/money.h"
#include "watch/ticker_line.h"

namespace tickra {

namespace {

std::string TroubleText(QuoteTrouble trouble, unsigned long status) {
    switch (trouble) {
        case QuoteTrouble::kRefused:
            return "连接被拒绝";
        case QuoteTrouble::kTimedOut:
            return "连接超时";
        case QuoteTrouble::kNoHost:
            return "找不到服务器";
        case QuoteTrouble::kBroken:
            return "连接中断";
        case QuoteTrouble::kHttpStatus:
            return Format("服务器返回 HTTP %lu", status);
        case QuoteTrouble::kNotAQuote:
            return "应答不是行情";
        case QuoteTrouble::kSuspended:
            return "停牌";
        case QuoteTrouble::kStale:
            return "行情停滞";
        case QuoteTrouble::kNone:
            break;
    }
    return {};
}

// The alert levels that are set (a level of 0 is off), each with the stock's own text.
std::string LevelsText(const WatchRow& row) {
    std::string text;
    const std::pair<const char*, const std::string*> levels[] = {
        {"下破", &row.break_below}, {"上破", &row.cross_above}, {"平衡价", &row.balance}};
    for (const auto& [label, value] : levels) {
        if (ParseFloat(*value) != 0.0f) {
            text += (text.empty() ? "" : "  ") + std::string(label) + " " + *value;
        }
    }
    return text;
}

CardLine FeedTroubleLine(FeedId feed, const FeedHealth& health) {
    return {std::string(FeedName(feed)) + " " + TroubleText(health.trouble, health.status) +
                " 自 " + health.since + " 起",
            Tone::kStale};
}

// Which feed told the stock's quote and, when it is not the user's first choice, why not; when
// every feed fails, each one's trouble, the first choice first.
void AddSourceLines(std::vector<CardLine>& lines, const QuoteFacts& facts,
                    const FeedRouter& router) {
    const auto failing = [&](FeedId feed) {
        return router.health(feed).trouble != QuoteTrouble::kNone;
    };
    if (std::all_of(router.order().begin(), router.order().end(), failing)) {
        for (FeedId feed : router.order()) {
            lines.push_back(FeedTroubleLine(feed, router.health(feed)));
        }
        return;
    }
    if (facts.time.empty()) {
        return;
    }
    lines.push_back({std::string("来源 ") + FeedName(facts.source)});
    if (facts.source != router.first() && failing(router.first())) {
        lines.push_back(FeedTroubleLine(router.first(), router.health(router.first())));
    }
}

Tone ToneOf(int64_t amount) {
    return amount > 0 ? Tone::kUp : amount < 0 ? Tone::kDown : Tone::kUnchanged;
}

// What a position is worth at the row's last good quote; none before one.
std::optional<PositionValue> ValueAtLastQuote(const WatchRow& row, const Position& position) {
    const QuoteFacts& facts = row.entry->facts;
    const std::optional<int64_t> last = PriceInMills(facts.last_text);
    const std::optional<int64_t> close = PriceInMills(facts.previous_close_text);
    if (facts.time.empty() || !last || !close) {
        return std::nullopt;
    }
    return ValueOf(position, *last, *close);
}

}  // namespace

void AddPositionLines(std::vector<CardLine>& lines, const WatchRow& row, const WatchList& rows,
                      bool hide_amounts) {
    const auto amount = [hide_amounts](int64_t mills, bool signed_text) {
        return hide_amounts ? std::string(kHiddenAmount) : FenText(mills, signed_text);
    };
    if (const std::optional<Position> position = PositionOf(row.cost, row.shares)) {
        std::string holding = "持股 " + std::to_string(position->shares);
        if (position->cost) {
            holding += Format(" 成本 %lld.%03lld", static_cast<long long>(*position->cost / 1000),
                              static_cast<long long>(*position->cost % 1000));
        }
        lines.push_back({holding});
        if (const std::optional<PositionValue> value = ValueAtLastQuote(row, *position)) {
            lines.push_back({"当日盈亏 " + amount(value->day, true), ToneOf(value->day)});
            if (value->held) {
                const std::optional<std::string> percent =
                    ChangePercentText(*position->cost, value->last);
                lines.push_back({"持仓盈亏 " + amount(*value->held, true) +
                                     (percent ? " (" + *percent + ")" : ""),
                                 ToneOf(*value->held)});
            }
            lines.push_back({"市值 " + amount(value->value, false)});
        }
    }
    std::optional<int64_t> day = 0, held = 0;
    int holdings = 0, unquoted = 0;
    for (const WatchRow& other : rows) {
        const std::optional<Position> position = PositionOf(other.cost, other.shares);
        if (!position) {
            continue;
        }
        ++holdings;
        const std::optional<PositionValue> value = ValueAtLastQuote(other, *position);
        if (!value) {
            ++unquoted;
            continue;
        }
        day = AddAmounts(day, value->day);
        held = AddAmounts(held, value->held.value_or(0));
    }
    if (holdings == 0) {
        return;
    }
    // A sum beyond 64 bits is told as unknown rather than wrong.
    const auto total = [&](const std::optional<int64_t>& sum) {
        return sum ? amount(*sum, true) : std::string("--");
    };
    lines.push_back({"账户 当日 " + total(day) + " 持仓 " + total(held) +
                         (unquoted > 0 ? "（" + std::to_string(unquoted) + " 只无行情）" : ""),
                     day ? ToneOf(*day) : Tone::kUnchanged});
}

std::vector<CardLine> QuoteCardLines(const WatchRow& row, size_t place, size_t count, bool held,
                                     const FeedRouter& router) {
    const QuoteFacts& facts = row.entry->facts;
    const std::string code = UpperCaseMbcs(row.code);
    std::vector<CardLine> lines;
    const std::string name = ShownName(row.alias, facts.name);
    lines.push_back({name.empty() ? code : name + " " + code});
    if (facts.trouble == QuoteTrouble::kNone && !facts.time.empty()) {
        lines.push_back(
            {Format("%s  %+.2f  %+.2f%%", facts.last_text.c_str(),
                    static_cast<double>(facts.change), static_cast<double>(facts.percent)),
             facts.tone});
        lines.push_back({"昨收 " + facts.previous_close_text + "  今开 " + facts.open_text});
        lines.push_back({"时间 " + facts.time});
    } else if (facts.trouble != QuoteTrouble::kNone) {
        lines.push_back({TroubleText(facts.trouble, facts.status), Tone::kStale});
        lines.push_back({"自 " + facts.trouble_since + " 起"});
        lines.push_back({"上次行情 " + (facts.time.empty() ? std::string("无") : facts.time)});
    }
    AddSourceLines(lines, facts, router);
    if (const std::string levels = LevelsText(row); !levels.empty()) {
        lines.push_back({levels});
    }
    lines.push_back({"第 " + std::to_string(place + 1) + "/" + std::to_string(count) + " 只"});
    // A feed that takes many codes checks the others while the rotation is held.
    if (held && router.in_use() == FeedId::kClassic) {
        lines.push_back({"固定中，其他股票暂停提醒"});
    }
    return lines;
}

void AddAlertLines(std::vector<CardLine>& lines, int unseen, const std::vector<Alert>& today) {
    constexpr size_t kMostShown = 20;
    if (unseen > 0) {
        lines.push_back({"未读提醒 " + std::to_string(unseen)});
    }
    for (size_t i = 0; i < today.size() && i < kMostShown; ++i) {
        const Alert& alert = today[today.size() - 1 - i];
        // A tip's line runs over two: the card keeps one line an alert.
        std::string line = alert.line.substr(0, alert.line.find('\r'));
        lines.push_back({alert.time + " " + line});
    }
}

std::string CardText(const std::vector<CardLine>& lines) {
    std::string text;
    for (const CardLine& line : lines) {
        text += (text.empty() ? "" : "\r\n") + line.text;
    }
    return text;
}

}  // namespace tickra
