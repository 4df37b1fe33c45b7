// Money, exact to the fen: prices and amounts are integer thousandths of a yuan (mills), taken
// from the feed's own texts, and rounded half away from zero to the fen only when shown. No
// amount ever passes through a float, which drifts by a fen on prices of three places.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tickra {

// A price as the feed writes it ("10.25", "1.236"), in thousandths of a yuan; none for a text that
// is no plain decimal of at most three places, or beyond a million yuan.
std::optional<int64_t> PriceInMills(std::string_view text);

// A holding as code.ini keeps it in a stock's section: cost= is the average cost per share, a
// decimal of at most three places from 0 to 100000 yuan; shares= a whole number from 0 to 10^9.
// Blanks around a value are allowed; anything else is no value.
std::optional<int64_t> ParseCost(std::string_view text);  // in mills
std::optional<int64_t> ParseShares(std::string_view text);

struct Position {
    int64_t shares = 0;           // more than none
    std::optional<int64_t> cost;  // mills; unknown when not given
};
// The position a row's texts hold: none without shares, or with texts that are no values.
std::optional<Position> PositionOf(std::string_view cost_text, std::string_view shares_text);

// What a position comes to at a price, in mills: today's P&L against the previous close, the
// P&L against the cost (when known) and the market value.
struct PositionValue {
    int64_t last = 0;  // the price it is valued at
    int64_t day = 0;
    std::optional<int64_t> held;
    int64_t value = 0;
};
PositionValue ValueOf(const Position& position, int64_t last, int64_t previous_close);

// An amount to the fen: "+300.00", "-0.01", with a sign only when signed and not nought.
std::string FenText(int64_t mills, bool signed_text);
// An amount in whole yuan with its sign: "+300", "-12", "0".
std::string YuanText(int64_t mills);
// The change from cost to last in percent, to two places with its sign ("+8.00%"); none at a
// cost of nought.
std::optional<std::string> ChangePercentText(int64_t cost, int64_t last);

// Sums amounts; none once the sum would leave 64 bits, so that no total is ever wrong.
std::optional<int64_t> AddAmounts(std::optional<int64_t> sum, int64_t amount);

}  // namespace tickra
