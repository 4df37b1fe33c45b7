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

QuoteChecker::QuoteChecker(std::string host, bool tips_switch) : host_(std::move(host)) {
    tips_.enabled = tips_switch;
}

std::string QuoteChecker::Object(std::string_view code, const LocalTime& now) const {
    return QuoteObjectName(now, FeedCode(UpperCaseMbcs(code)));
}

QuoteOutcome QuoteChecker::Apply(const QuoteCheckRequest& request, const HttpAnswer& answer,
                                 const LocalTime& now, TickerState& ticker, float& reference_price,
                                 AlertSink& alerts) {
    const std::string code = UpperCaseMbcs(request.code);
    ticker.flags = {};
    if (!answer.ok()) {
        const std::string line =
            request.last_good_line.empty() ? code + " 网络不通." : request.last_good_line;
        ticker.text = std::string(CutAtCharBoundary(line, TickerState::kMaxTextBytes));
        ticker.tone = Tone::kStale;
        QuoteOutcome trouble;
        trouble.trouble = TroubleOf(answer);
        trouble.status = answer.status;
        return trouble;
    }

    const Quote quote = ParseQuote(answer.body, FeedCode(code));
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
            text = quote.name + " " + quote.last_text + " " + Format("%.2f%%", quote.percent());
            break;
        }
    }
    ticker.text = std::string(CutAtCharBoundary(text, TickerState::kMaxTextBytes));
    ticker.tone = quote.kind == Quote::Kind::kMissing   ? Tone::kMissing
                  : quote.previous_close < quote.price  ? Tone::kUp
                  : quote.previous_close == quote.price ? Tone::kUnchanged
                                                        : Tone::kDown;

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
    QuoteOutcome outcome;
    outcome.reached = true;
    outcome.price = quote.price;
    outcome.good_line = quote.kind == Quote::Kind::kGood ? ticker.text : std::string();
    outcome.trouble = quote.kind == Quote::Kind::kGood        ? QuoteTrouble::kNone
                      : quote.kind == Quote::Kind::kSuspended ? QuoteTrouble::kSuspended
                                                              : QuoteTrouble::kNotAQuote;
    outcome.quote = quote;
    return outcome;
}

}  // namespace tickra
