#include "watch/quote_check.h"

#include <utility>

#include "watch/mbcs.h"
#include "watch/quote.h"
#include "watch/text_util.h"

namespace tickra {

QuoteChecker::QuoteChecker(HttpFunction http, std::string host, Clock clock, bool tips_switch)
    : http_(std::move(http)), host_(std::move(host)), clock_(std::move(clock)) {
    tips_.enabled = tips_switch;
}

float QuoteChecker::Check(const QuoteCheckRequest& request, TickerState& ticker,
                          float& reference_price, AlertSink& alerts) {
    const LocalTime now = clock_();
    const std::string code = UpperCaseMbcs(request.code);
    const std::string object = QuoteObjectName(now, FeedCode(code));
    ticker.flags = {};

    const Quote quote = ParseQuote(http_("", "GET", host_, object));
    std::string text;
    switch (quote.kind) {
        case Quote::Kind::kMissing:
            text = code + " 代码有误.";
            break;
        case Quote::Kind::kSuspended:
            text = code + " 停牌.";
            break;
        case Quote::Kind::kGood: {
            reference_price = quote.previous_close;
            const float percent = quote.change * 100 / quote.previous_close;
            text = quote.name + " " + quote.last_text + " " + Format("%.2f%%", percent);
            break;
        }
    }
    ticker.text = std::string(CutAtCharBoundary(text, TickerState::kMaxTextBytes));
    ticker.colour = quote.previous_close < quote.price    ? kRed
                    : quote.previous_close == quote.price ? kWhite
                                                          : kGreen;

    AlertInputs in;
    in.name = quote.name;
    in.missing = quote.kind != Quote::Kind::kGood;
    in.price = quote.price;
    in.previous_close = quote.previous_close;
    in.previous_price = request.previous_price;
    in.break_below = request.break_below;
    in.cross_above = request.cross_above;
    in.balance = request.balance;
    in.hour = now ? now->tm_hour : -1;
    in.minute = now ? now->tm_min : -1;
    in.time_text = FormatTime(now, "%H:%M:%S");
    ticker.flags = EvaluateAlerts(in, tips_, alerts);
    return quote.price;
}

}  // namespace tickra
