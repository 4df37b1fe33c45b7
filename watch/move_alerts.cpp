#include "watch/move_alerts.h"

#include "base/text_util.h"

namespace tickra {

namespace {

constexpr int64_t kMaxMills = 1'000'000'000;  // a million yuan: no share costs more

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The daily limit of a board, in percent; 0 for a code of no board with a sure rule.
int LimitRate(std::string_view code, std::string_view name) {
    if (code.size() != 6 || code.find_first_not_of("0123456789") != std::string_view::npos ||
        StartsWith(code, "399")) {
        return 0;  // 1A0001 and Shenzhen's indexes have no limit
    }
    if (StartsWith(code, "300") || StartsWith(code, "301") || StartsWith(code, "688") ||
        StartsWith(code, "689")) {
        return 20;
    }
    if (code[0] == '4' || code[0] == '8' || StartsWith(code, "92")) {
        return 30;
    }
    if (code[0] == '7' || (code[0] == '9' && !StartsWith(code, "90"))) {
        return 0;
    }
    // Special treatment narrows the main boards' limit; the other boards keep theirs.
    const bool special =
        StartsWith(name, "ST") || StartsWith(name, "*ST") || StartsWith(name, "S*ST");
    return special ? 5 : 10;
}

// previous close × (100 ± rate) %, half up to the fen, in thousandths.
int64_t LimitAt(int64_t previous_close, int percent) {
    return (previous_close * percent + 500) / 1000 * 10;
}

Alert MoveAlert(const char* title, const std::string& text, const MoveInputs& in) {
    return {title, text, text, in.time_text};
}

}  // namespace

bool ParseLimitsSwitch(std::string_view text) {
    return text != "0";
}

int ParseStep(std::string_view text) {
    if (text.empty() || text.size() > 2 ||
        text.find_first_not_of("0123456789") != std::string_view::npos) {
        return 0;
    }
    const int step = ParseInt(text);
    return step <= 20 ? step : 0;
}

std::optional<LimitPrices> DailyLimits(std::string_view code, std::string_view name,
                                       int64_t previous_close) {
    const int rate = LimitRate(code, name);
    if (rate == 0 || previous_close <= 0 || previous_close > kMaxMills) {
        return std::nullopt;
    }
    return LimitPrices{LimitAt(previous_close, 100 + rate), LimitAt(previous_close, 100 - rate)};
}

std::vector<Alert> EvaluateMoves(const MoveInputs& in, DayMoves& moves) {
    if (moves.day != in.day) {
        moves = DayMoves{};
        moves.day = in.day;
    }
    std::vector<Alert> alerts;
    const std::string& name = in.shown_name.empty() ? in.name : in.shown_name;
    const std::optional<int64_t> last = PriceInMills(in.last_text);
    const std::optional<int64_t> close = PriceInMills(in.previous_close_text);
    if (!last || !close || *last <= 0 || *close <= 0) {
        return alerts;  // no sure price to measure: no limit and no step
    }
    const std::optional<LimitPrices> limits =
        in.limits ? (in.feed_limits ? in.feed_limits : DailyLimits(in.code, in.name, *close))
                  : std::nullopt;
    if (limits) {
        const std::string said = name + " " + in.last_text + " ";
        const bool at_upper = *last >= limits->upper;
        const bool at_lower = *last <= limits->lower;
        if (at_upper != moves.at_upper) {
            alerts.push_back(MoveAlert("涨停提醒", said + (at_upper ? "涨停" : "开板"), in));
        }
        if (at_lower != moves.at_lower) {
            alerts.push_back(MoveAlert("跌停提醒", said + (at_lower ? "跌停" : "跌停打开"), in));
        }
        moves.at_upper = at_upper;
        moves.at_lower = at_lower;
    }
    if (in.step >= 1 && in.step <= 20) {
        const int64_t change = *last - *close;
        const auto steps =
            static_cast<int>((change < 0 ? -change : change) * 100 / (*close * in.step));
        int& reached = change < 0 ? moves.down_steps : moves.up_steps;
        if (steps > reached) {
            reached = steps;
            const int percent = steps * in.step;
            alerts.push_back(MoveAlert("涨跌幅提醒",
                                       change < 0
                                           ? Format("%s 跌幅达 -%d.00%%", name.c_str(), percent)
                                           : Format("%s 涨幅达 +%d.00%%", name.c_str(), percent),
                                       in));
        }
    }
    return alerts;
}

}  // namespace tickra
