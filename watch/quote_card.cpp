#include "watch/quote_card.h"

#include <algorithm>

#include "base/mbcs.h"
#include "base/text_util.h"

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

}  // namespace

std::vector<CardLine> QuoteCardLines(const WatchRow& row, size_t place, size_t count, bool held,
                                     const FeedRouter& router) {
    const QuoteFacts& facts = row.entry->facts;
    const std::string code = UpperCaseMbcs(row.code);
    std::vector<CardLine> lines;
    lines.push_back({facts.name.empty() ? code : facts.name + " " + code});
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
