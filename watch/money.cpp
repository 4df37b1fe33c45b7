#include "watch/money.h"

#include <limits>

#include "base/text_util.h"

namespace tickra {

namespace {

constexpr int64_t kMaxPrice = 1'000'000'000;  // a million yuan: no share costs more
constexpr int64_t kMaxCost = 100'000'000;     // 100000 yuan
constexpr int64_t kMaxShares = 1'000'000'000;

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool AllDigits(std::string_view text) {
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

// |mills| rounded half up to units of `unit` mills.
int64_t Rounded(int64_t mills, int64_t unit) {
    const int64_t magnitude = mills < 0 ? -mills : mills;
    return (magnitude + unit / 2) / unit;
}

}  // namespace

std::optional<int64_t> PriceInMills(std::string_view text) {
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view places =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || whole.size() > 7 || places.size() > 3 || !AllDigits(whole) ||
        !AllDigits(places) || (point != std::string_view::npos && places.empty())) {
        return std::nullopt;
    }
    int64_t mills = 0;
    for (const char digit : whole) {
        mills = mills * 10 + (digit - '0');
    }
    for (size_t i = 0; i < 3; ++i) {
        mills = mills * 10 + (i < places.size() ? places[i] - '0' : 0);
    }
    if (mills > kMaxPrice) {
        return std::nullopt;
    }
    return mills;
}

std::optional<int64_t> ParseCost(std::string_view text) {
    const std::optional<int64_t> cost = PriceInMills(Trimmed(text));
    return cost && *cost <= kMaxCost ? cost : std::nullopt;
}

std::optional<int64_t> ParseShares(std::string_view text) {
    text = Trimmed(text);
    if (text.empty() || text.size() > 10 || !AllDigits(text)) {
        return std::nullopt;
    }
    int64_t shares = 0;
    for (const char digit : text) {
        shares = shares * 10 + (digit - '0');
    }
    return shares <= kMaxShares ? std::optional(shares) : std::nullopt;
}

std::optional<Position> PositionOf(std::string_view cost_text, std::string_view shares_text) {
    const std::optional<int64_t> shares = ParseShares(shares_text);
    if (!shares || *shares == 0) {
        return std::nullopt;
    }
    return Position{*shares, ParseCost(cost_text)};
}

PositionValue ValueOf(const Position& position, int64_t last, int64_t previous_close) {
    // Prices below a million yuan times shares below 10^9 stay within 10^18: no overflow.
    PositionValue value;
    value.last = last;
    value.day = (last - previous_close) * position.shares;
    if (position.cost) {
        value.held = (last - *position.cost) * position.shares;
    }
    value.value = last * position.shares;
    return value;
}

std::string FenText(int64_t mills, bool signed_text) {
    const int64_t fen = Rounded(mills, 10);
    const char* sign = fen == 0 ? "" : mills < 0 ? "-" : signed_text ? "+" : "";
    return Format("%s%lld.%02lld", sign, static_cast<long long>(fen / 100),
                  static_cast<long long>(fen % 100));
}

std::string YuanText(int64_t mills) {
    const int64_t yuan = Rounded(mills, 1000);
    return Format("%s%lld", yuan == 0 ? "" : mills < 0 ? "-" : "+", static_cast<long long>(yuan));
}

std::optional<std::string> ChangePercentText(int64_t cost, int64_t last) {
    if (cost <= 0) {
        return std::nullopt;
    }
    // In ten-thousandths, rounded half away from zero: (last − cost) stays below 10^9.
    const int64_t change = last - cost;
    const int64_t magnitude = change < 0 ? -change : change;
    const int64_t hundredths = (magnitude * 20000 / cost + 1) / 2;
    return Format("%s%lld.%02lld%%",
                  hundredths == 0 ? ""
                  : change < 0    ? "-"
                                  : "+",
                  static_cast<long long>(hundredths / 100),
                  static_cast<long long>(hundredths % 100));
}

std::optional<int64_t> AddAmounts(std::optional<int64_t> sum, int64_t amount) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    if (!sum || (amount > 0 && *sum > kMax - amount) || (amount < 0 && *sum < -kMax - amount)) {
        return std::nullopt;
    }
    return *sum + amount;
}

}  // namespace tickra
