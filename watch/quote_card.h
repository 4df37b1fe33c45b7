// What the ticker's hover card says: the shown stock's last good quote and, when the last check
// met trouble, what went wrong and since when, in words.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "watch/alert_rules.h"
#include "watch/feed_router.h"
#include "watch/ticker_state.h"
#include "watch/watch_list.h"

namespace tickra {

struct CardLine {
    std::string text;              // GB2312
    Tone tone = Tone::kUnchanged;  // as in the ticker
    bool operator==(const CardLine&) const = default;
};

// The card of a row: place is its index in the watch list of count rows; held: the rotation is
// held on it; router: which feeds answer, and why the others do not.
std::vector<CardLine> QuoteCardLines(const WatchRow& row, size_t place, size_t count, bool held,
                                     const FeedRouter& router);

// The holding of the row, when it has one: shares and cost, today's P&L, the P&L against the cost
// and the market value at its last good quote; then the account over every row with a holding and
// a quote this run. hide_amounts puts "***" for each amount of money.
void AddPositionLines(std::vector<CardLine>& lines, const WatchRow& row, const WatchList& rows,
                      bool hide_amounts);

// The alerts of the day in the card: "未读提醒 N" while some were unseen when it opened, then the
// newest first (at most 20), each as its time and message line.
void AddAlertLines(std::vector<CardLine>& lines, int unseen, const std::vector<Alert>& today);

// The card's lines as one text, a line each, for screen readers and the window's text.
std::string CardText(const std::vector<CardLine>& lines);

}  // namespace tickra
