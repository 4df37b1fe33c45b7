#include "watch/quote_check.h"

#include <utility>

#include "base/mbcs.h"
#include "base/text_util.h"
#include "watch/quote.h"

namespace tickra {

QuoteTrouble TroubleOf(const HttpAnswer& answer) {
    switch (answer.failure) {
        case NetFailure::kRefused:
            return QuoteTrouble::kRefused;
        case NetFailure::kTimedOut:
            return QuoteTrouble::kTimedOut;
        case NetFailure::kNoHost:
            return QuoteTrouble::kNoHost;
        case NetFailure::kBroken:
            return QuoteTrouble::kBroken;
        case NetFailure::kNone:
            break;
    }
    // A whole answer that is no 200, or one given up before it came.
    return answer.complete && answer.status != 200 ? QuoteTrouble::kHttpStatus
                                                   : QuoteTrouble::kTimedOut;
}

QuoteOutcome CheckQuote(const QuoteCheckRequest& request, const StockAnswer& answer,
                        const LocalTime& now, TipLists& tips) {
    const std::string code = UpperCaseMbcs(request.code);
    QuoteOutcome outcome;
    outcome.source = answer.source;
    outcome.moves = request.moves;
    if (!answer.quote) {
        if (request.shown) {
            const std::string line =
                request.last_good_line.empty() ? code + " 网络不通." : request.last_good_line;
            outcome.line = std::string(CutAtCharBoundary(line, TickerState::kMaxTextBytes));
        }
        outcome.tone = Tone::kStale;
        outcome.trouble = answer.trouble;
        outcome.status = answer.status;
        return outcome;
    }

    const Quote& quote = *answer.quote;
    outcome.tone = quote.kind == Quote::Kind::kMissing   ? Tone::kMissing
                   : quote.previous_close < quote.price  ? Tone::kUp
                   : quote.previous_close == quote.price ? Tone::kUnchanged
                                                         : Tone::kDown;
    const std::string name = ShownName(request.alias, quote.name);
    std::string text;
    switch (quote.kind) {
        case Quote::Kind::kMissing:
            text = code + " 代码有误.";
            break;
        case Quote::Kind::kSuspended:
            text = code + " 停牌.";
            break;
        case Quote::Kind::kGood: {
            outcome.reference_price = quote.previous_close;
            if (request.shown) {
                text =
                    GoodQuoteLine(name, quote.last_text, quote.previous_close_text, quote.percent(),
                                  outcome.tone, request.position, request.style);
            }
            break;
        }
    }
    outcome.line = std::string(CutAtCharBoundary(text, TickerState::kMaxTextBytes));

    AlertInputs in;
    in.name = quote.name;
    in.shown_name = name;
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
    AlertVerdict verdict = EvaluateAlerts(in, tips);
    outcome.flags = verdict.flags;
    outcome.alerts = std::move(verdict.alerts);
    outcome.moves = request.moves;
    if (quote.kind == Quote::Kind::kGood) {
        MoveInputs move;
        move.code = code;
        move.name = quote.name;
        move.shown_name = name;
        move.last_text = quote.last_text;
        move.previous_close_text = quote.previous_close_text;
        const std::optional<int64_t> up = PriceInMills(quote.limit_up_text);
        const std::optional<int64_t> down = PriceInMills(quote.limit_down_text);
        if (up && down && *down < *up) {
            move.feed_limits = LimitPrices{*up, *down};  // the feed's word over the board's rule
        }
        move.limits = request.limit_alerts;
        move.step = request.step;
        move.day = DayNumber(now);
        move.time_text = in.time_text;
        for (Alert& alert : EvaluateMoves(move, outcome.moves)) {
            outcome.alerts.push_back(std::move(alert));
        }
    }
    outcome.reached = true;
    outcome.price = quote.price;
    outcome.trouble = quote.kind == Quote::Kind::kGood        ? QuoteTrouble::kNone
                      : quote.kind == Quote::Kind::kSuspended ? QuoteTrouble::kSuspended
                                                              : QuoteTrouble::kNotAQuote;
    outcome.quote = quote;
    return outcome;
}

}  // namespace tickra
