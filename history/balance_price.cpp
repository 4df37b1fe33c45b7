#include "history/balance_price.h"

#include <cmath>

#include "base/mbcs.h"
#include "base/text_util.h"
#include "history/history_table.h"

namespace tickra {

namespace {

constexpr int kWindow = 20;
constexpr int kDays = 5;
constexpr size_t kNeeded = 25;
constexpr size_t kGathered = 26;
// 60 calendar days hold at most 43 trading days; rows beyond these are not looked at, so that a
// hostile page of endless skipped rows costs no more than a real one.
constexpr int kMaxRows = 120;

// Each operation in double precision, each stored result rounded to single precision.
float Stored(double value) {
    return static_cast<float>(value);
}

// Tries one provider: the date cell, then the price cells from first_row on.
bool TryProvider(std::string_view code, std::string_view provider, int date_row, int date_column,
                 int first_row, const HistoryFetch& fetch, std::string& data_date, float& price) {
    const std::string table = fetch(code, provider);
    if (table.empty()) {
        return false;
    }
    // Pages are laid out by hand as often as by program: a cell may carry blanks or line breaks.
    const std::string date_cell = GetHistoryCell(table, date_row, date_column, provider);
    const std::string_view date = TrimBlanks(date_cell);
    if (!IsDataDate(date)) {
        return false;  // it is stored in code.ini: nothing but a date may get there
    }
    std::vector<float> values;
    for (int row = first_row; values.size() < kGathered && row < first_row + kMaxRows; ++row) {
        const std::string text = GetHistoryCell(table, row, 3, provider);
        const std::string_view cell = TrimBlanks(text);
        if (cell.empty()) {
            break;  // the end of the table
        }
        // A day without trading ("0.00"), a heading, "--", "1e309": no price, and skipped.
        const float value = ParseFloat(cell);
        if (cell == "0.00" || !HasLeadingNumber(cell) || !std::isfinite(value)) {
            continue;
        }
        values.push_back(value);
    }
    if (values.size() < kNeeded) {
        return false;
    }
    price = BalanceFormula(values);
    data_date = std::string(date);
    return true;
}

}  // namespace

bool IsDataDate(std::string_view text) {
    if (text.size() != 10) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? text[i] != '-' : (text[i] < '0' || text[i] > '9')) {
            return false;
        }
    }
    return true;
}

float BalanceFormula(const std::vector<float>& x) {
    if (x.size() < kDays - 1 + kWindow) {
        return -1.0f;
    }
    float total = 0.0f;
    for (int i = 0; i < kDays; ++i) {
        float sum = 0.0f;
        float ema = 0.0f;
        for (int k = 0; k < kWindow; ++k) {
            sum = Stored(static_cast<double>(sum) +
                         x[static_cast<size_t>(i) + static_cast<size_t>(k)]);
            const double y = x[static_cast<size_t>(i + kWindow - 1 - k)];  // oldest first
            ema = Stored((k * static_cast<double>(ema) + 2.0 * y) / (k + 2));
        }
        const float simple = Stored(static_cast<double>(sum) / kWindow);
        const float midpoint = Stored((static_cast<double>(simple) + ema) * 0.5);
        total = Stored(static_cast<double>(total) + midpoint);
    }
    return Stored(static_cast<double>(total) / kDays);
}

float ComputeBalancePrice(std::string_view code, const HistoryFetch& fetch,
                          std::string& data_date) {
    const std::string upper = UpperCaseMbcs(code);
    float price = -1.0f;
    if (TryProvider(upper, kPostProvider, 1, 7, 1, fetch, data_date, price)) {
        return price;
    }
    if (upper == "1A0001") {
        return -1.0f;  // the GET provider has no page for the index
    }
    if (TryProvider(upper, kGetProvider, 3, 1, 3, fetch, data_date, price)) {
        return price;
    }
    return -1.0f;
}

}  // namespace tickra
