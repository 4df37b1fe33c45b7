// The alerts of a stock's move through the day: reaching its daily limit (涨停, 跌停) and leaving
// it again (开板, 跌停打开), and its change reaching each new multiple of a step. Prices are worked
// in integer thousandths of a yuan, from the feed's own texts, never through a float.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "watch/alert_rules.h"
#include "watch/money.h"

namespace tickra {

struct LimitPrices {
    int64_t upper = 0;  // thousandths, whole fen
    int64_t lower = 0;
    bool operator==(const LimitPrices&) const = default;
};

// The day's limits of a stock from its previous close, by its board: 20 % for ChiNext and STAR
// (300, 301, 688, 689), 30 % for Beijing (4xxxxx, 8xxxxx, 92xxxx), 5 % for a name beginning "ST",
// "*ST" or "S*ST", 10 % for the other stocks and funds; rounded half up to the fen. None for the
// index 1A0001, Shenzhen's indexes (399xxx), a code of no board, or no previous close.
std::optional<LimitPrices> DailyLimits(std::string_view code, std::string_view name,
                                       int64_t previous_close);

// What a stock's move alerts remember through a day.
struct DayMoves {
    int day = 0;  // the local day (yyyymmdd) it is of; another day starts afresh
    bool at_upper = false;
    bool at_lower = false;
    int up_steps = 0;  // the highest multiple of the step alerted, each way
    int down_steps = 0;
    bool operator==(const DayMoves&) const = default;
};

struct MoveInputs {
    std::string code;                            // upper-cased
    std::string name;                            // the feed's: special treatment is read from it
    std::string last_text, previous_close_text;  // as the feed gives them
    std::optional<LimitPrices> feed_limits;      // when the feed's record carries them
    bool limits = true;                          // the limit alerts are on
    int step = 0;                                // percent; 0: no step alerts
    int day = 0;                                 // yyyymmdd of the check
    std::string time_text;                       // "%H:%M:%S"
    std::string shown_name;                      // in the texts; empty: name
};

// The user's switches, as tickra.ini keeps them under [Alerts]: Limits=1|0 (on unless "0"), and
// Step=N, a whole percent from 1 to 20 (0: off). A value out of range is read as the default.
bool ParseLimitsSwitch(std::string_view text);
int ParseStep(std::string_view text);

// The limit alerts ("涨停", "开板", "跌停", "跌停打开", in that order) and the step alert of one
// good quote; moves is the stock's memory, brought to the check's day and updated.
std::vector<Alert> EvaluateMoves(const MoveInputs& in, DayMoves& moves);

}  // namespace tickra
