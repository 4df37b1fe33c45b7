// The balance price: the average over the last five trading days of the midpoint between the
// 20-day simple and exponential moving averages of the daily price.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tickra {

// A data date as the providers give it and code.ini keeps it: "YYYY-MM-DD", nothing else.
bool IsDataDate(std::string_view text);

// The formula over daily values, newest first (at least 24 are used).
float BalanceFormula(const std::vector<float>& newest_first);

// A stock whose balance price is being computed: its row (serial 0 for the code field) and its
// texts when the work began, so that a row changed meanwhile is not overwritten.
struct BalanceItem {
    uint64_t entry = 0;
    std::string code, balance;
};

// Fetches one provider's table: (code, provider tag) → table text, empty on failure.
using HistoryFetch = std::function<std::string(std::string_view code, std::string_view provider)>;

// Asks the POST provider, then (except for the index 1A0001) the GET provider. Returns -1 when
// neither gives a date of the form "YYYY-MM-DD" and at least 25 usable values. data_date receives
// the date of the table the price came from, and is left alone when there is no price: a failed
// code's date must never be stored with another stock.
float ComputeBalancePrice(std::string_view code, const HistoryFetch& fetch, std::string& data_date);

}  // namespace tickra
