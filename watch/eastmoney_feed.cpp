#include "watch/eastmoney_feed.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>

#include "watch/batch_feed.h"

namespace tickra {

namespace {
using Json = nlohmann::json;

// The fields asked for, in a record's order of use.
enum Field : size_t {
    kDecimals,
    kLast,
    kCode,
    kMarket,
    kName,
    kOpen,
    kPreviousClose,
    kTime,
    kFieldCount
};
// The fields asked for, by their numbers: "f1", "f2", "f12", …
constexpr std::array<unsigned, kFieldCount> kFieldNumbers{1, 2, 12, 13, 14, 17, 18, 124};
// The answer is four levels deep (answer, data, diff, record); anything far deeper is no answer
// of this feed and is refused before it costs anything.
constexpr size_t kMaxDepth = 8;

// The market part of a stock's id in this feed: 1 for Shanghai, 0 for Shenzhen and Beijing.
std::string SecId(std::string_view market_code) {
    return (market_code.starts_with("sh") ? "1." : "0.") + std::string(market_code.substr(2));
}

// JSON numbers lose their trailing zeros ("10.5" for 10.50): a price gets back the decimals the
// record says the stock is quoted in, as the other feeds write it.
std::string WithDecimals(const std::string& number, std::string_view decimals) {
    if (decimals.size() != 1 || decimals[0] < '1' || decimals[0] > '4') {
        return number;
    }
    const size_t want = static_cast<size_t>(decimals[0] - '0');
    const size_t point = number.find('.');
    const size_t have = point == std::string::npos ? 0 : number.size() - point - 1;
    return have >= want
               ? number
               : number + (point == std::string::npos ? "." : "") + std::string(want - have, '0');
}

// The field a record's key names ("f2", "f124"), or kFieldCount for one not asked for; read as a
// number, for a record has many keys and comparing each with every name costs more than the rest.
size_t FieldOf(std::string_view key) {
    unsigned number = 0;
    if (key.size() < 2 || key.size() > 4 || key[0] != 'f' ||
        std::from_chars(key.data() + 1, key.data() + key.size(), number).ptr !=
            key.data() + key.size()) {
        return kFieldCount;
    }
    const auto* found = std::find(kFieldNumbers.begin(), kFieldNumbers.end(), number);
    return static_cast<size_t>(found - kFieldNumbers.begin());
}

std::string FieldList() {
    std::string list;
    for (const unsigned number : kFieldNumbers) {
        list += (list.empty() ? "f" : ",f") + std::to_string(number);
    }
    return list;
}

struct Value {
    enum class Type { kAbsent, kNumber, kText, kOther };
    Type type = Type::kAbsent;
    std::string text;  // a number's text as it came, or a string
};

// Walks the answer once and keeps only the record under way, so that a body of many records
// costs no more memory than one of them.
class AnswerReader final : public Json::json_sax_t {
public:
    AnswerReader(const AskedCodes& asked, const Utf8ToProgramText& utf8, FeedQuotes& result)
        : asked_(asked), utf8_(utf8), result_(result) {}

    bool rc_zero() const { return rc_zero_; }

    bool null() override { return Scalar(Value::Type::kOther, {}); }
    bool boolean(bool) override { return Scalar(Value::Type::kOther, {}); }
    bool number_integer(number_integer_t value) override { return Integer(value); }
    bool number_unsigned(number_unsigned_t value) override { return Integer(value); }
    // The price keeps the text the feed wrote, so "10.50" is shown as "10.50".
    bool number_float(number_float_t, const string_t& text) override {
        return Scalar(Value::Type::kNumber, text);
    }
    // Copied, not moved: the lexer keeps its buffer for the next token.
    bool string(string_t& text) override { return Scalar(Value::Type::kText, text); }
    bool binary(binary_t&) override { return Scalar(Value::Type::kOther, {}); }
    bool key(string_t& key) override {
        key_.assign(key);
        // A record's keys are looked up once, here, not at each value.
        if (depth_ > 0 && levels_[depth_ - 1] == Level::kRecord) {
            field_ = FieldOf(key_);
        }
        return true;
    }
    bool start_object(std::size_t) override { return Open(true); }
    bool start_array(std::size_t) override { return Open(false); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    enum class Level { kAnswer, kData, kDiff, kRecord, kOther };

    bool Open(bool object) {
        if (depth_ == kMaxDepth) {
            return false;
        }
        Level level = Level::kOther;
        if (depth_ == 0) {
            level = object ? Level::kAnswer : Level::kOther;
        } else if (levels_[depth_ - 1] == Level::kAnswer && object && key_ == "data") {
            level = Level::kData;
        } else if (levels_[depth_ - 1] == Level::kData && key_ == "diff") {
            // Usually an array; some answers key the records "0", "1", … instead.
            level = Level::kDiff;
        } else if (levels_[depth_ - 1] == Level::kDiff && object) {
            level = Level::kRecord;
            for (Value& value : record_) {
                value.type = Value::Type::kAbsent;  // the texts keep their room for the next
            }
        } else if (levels_[depth_ - 1] == Level::kRecord) {
            Assign(Value::Type::kOther, {});
        }
        levels_[depth_++] = level;
        return true;
    }

    bool Close() {
        if (depth_ > 0 && levels_[--depth_] == Level::kRecord) {
            Finish();
        }
        return true;
    }

    template <class Number>
    bool Integer(Number value) {
        std::array<char, 24> digits;
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
        return Scalar(Value::Type::kNumber, std::string_view(digits.data(), end));
    }

    bool Scalar(Value::Type type, std::string_view text) {
        if (depth_ == 0) {
            return true;
        }
        if (levels_[depth_ - 1] == Level::kAnswer && key_ == "rc") {
            rc_zero_ = type == Value::Type::kNumber && text == "0";
        } else if (levels_[depth_ - 1] == Level::kRecord) {
            Assign(type, text);
        }
        return true;
    }

    void Assign(Value::Type type, std::string_view text) {
        if (field_ < kFieldCount) {
            record_[field_].type = type;
            record_[field_].text.assign(text);
        }
    }

    void Finish() {
        const Value& code = record_[kCode];
        const Value& market = record_[kMarket];
        if (code.type != Value::Type::kText || market.type != Value::Type::kNumber) {
            return;  // a record that names no stock answers none
        }
        const std::string* asked = asked_.Find(market.text + "." + code.text);
        if (asked == nullptr) {
            return;
        }
        const Value& last = record_[kLast];
        const Value& open = record_[kOpen];
        const Value& close = record_[kPreviousClose];
        Quote quote;
        if (last.type == Value::Type::kText && last.text == "-" && open.type == last.type &&
            open.text == "-" && close.type == Value::Type::kNumber && IsPlainNumber(close.text)) {
            // No trade today, though the stock has a previous close: suspended.
            quote.kind = Quote::Kind::kSuspended;
        } else if (last.type == Value::Type::kNumber && open.type == Value::Type::kNumber &&
                   close.type == Value::Type::kNumber &&
                   record_[kName].type == Value::Type::kText) {
            const Value& decimals = record_[kDecimals];
            const std::string_view places =
                decimals.type == Value::Type::kNumber ? decimals.text : std::string_view();
            quote =
                QuoteFromTexts(utf8_(record_[kName].text), WithDecimals(last.text, places),
                               WithDecimals(close.text, places), WithDecimals(open.text, places));
        }
        if (Keep(result_, *asked, quote) && quote.kind != Quote::Kind::kMissing &&
            record_[kTime].type == Value::Type::kNumber) {
            // Seconds since 1970: it only has to grow.
            const int64_t time = ShapedDigits(record_[kTime].text, "##########");
            result_.newest = std::max(result_.newest, time);
        }
    }

    const AskedCodes& asked_;
    const Utf8ToProgramText& utf8_;
    FeedQuotes& result_;
    std::array<Level, kMaxDepth> levels_{};
    size_t depth_ = 0;
    std::string key_;
    size_t field_ = kFieldCount;  // the record's field that key_ names, if any
    std::array<Value, kFieldCount> record_;
    bool rc_zero_ = false;
};
}  // namespace

FeedRequest EastmoneyFeed::Request(std::span<const std::string> codes, const LocalTime&) const {
    // fltt=2: prices as decimals ("10.25"), not as integers of hundredths; np=1: the records as
    // an array.
    return {"/api/qt/ulist.np/get?fltt=2&np=1&secids=" + JoinedMarketCodes(codes, SecId) +
                "&fields=" + FieldList(),
            ""};
}

FeedQuotes EastmoneyFeed::Parse(std::string_view body, std::span<const std::string> codes) const {
    FeedQuotes result;
    const AskedCodes asked(codes, SecId);
    AnswerReader reader(asked, utf8_, result);
    // An error answer ("rc" not 0), a page or broken JSON is no answer at all, whatever records
    // came before the fault.
    if (!Json::sax_parse(body.begin(), body.end(), &reader) || !reader.rc_zero()) {
        return {};
    }
    result.in_format = true;
    return result;
}

}  // namespace tickra
