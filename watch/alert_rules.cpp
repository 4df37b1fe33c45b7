#include "watch/alert_rules.h"

#include <algorithm>

#include "base/text_util.h"

namespace tickra {

namespace {

struct AlertText {
    const char* title;
    const char* balloon;  // "%s" the name, then the rule's price and the current price
    const char* line;
};

constexpr AlertText kBreakBelow{"到价提示", "%s价格下破,设定价是%.3f元,当前%.3f元",
                                "价格下破：%s设定价是%.3f元,当前%.3f元"};
constexpr AlertText kCrossAbove{"到价提示", "%s价格上穿,设定价是%.3f元,当前%.3f元",
                                "价格上穿：%s设定价是%.3f元,当前%.3f元"};
constexpr AlertText kBalanceUp{"平衡价提示", "%s上穿平衡价,平衡价是%.3f,当前%.3f元",
                               "平衡价提示：%s上穿平衡价,平衡价是%.3f元,当前%.3f元"};
constexpr AlertText kBuyTip{
    "买入提示", "%s股价已经站在平衡价之上，可以买入。\r\n平衡价是%.3f元,当前%.3f元",
    "买入提示：%s股价已经站在平衡价之上，可以买入。\r\n平衡价是%.3f元,当前%.3f元"};
constexpr AlertText kBalanceDown{"平衡价提示", "%s下破平衡价,平衡价是%.3f,当前%.3f元",
                                 "平衡价提示：%s下破平衡价,平衡价是%.3f元,当前%.3f元"};
constexpr AlertText kSellTip{
    "卖出提示",
    "%s股价已经在平衡价之下，卖出。\r\n\r\n不想卖？看看历史数据吧，数据总是对的!错的是你的执行!"
    "\r\n\r\n平衡价是%.3f元,当前%.3f元",
    "卖出提示：%s股价已经在平衡价之下，卖出。平衡价是%.3f元,当前%.3f元"};

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
Alert Raised(const AlertText& text, const AlertInputs& in, float level) {
    // The tips stay keyed by the feed's name: a new alias gives no tip twice.
    const char* name = in.shown_name.empty() ? in.name.c_str() : in.shown_name.c_str();
    const double set = level, now = in.price;
    return {text.title, Format(text.balloon, name, set, now), Format(text.line, name, set, now),
            in.time_text};
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

AlertVerdict EvaluateAlerts(const AlertInputs& in, TipLists& tips) {
    AlertVerdict verdict;
    DisplayFlags& flags = verdict.flags;
    auto raise = [&](const AlertText& text, float level) {
        verdict.alerts.push_back(Raised(text, in, level));
    };
    // A missing quote can never complete a crossing; the first check compares with yesterday.
    float previous = in.missing ? 0.0f : in.previous_price;
    if (!in.missing && previous == -1.0f) {
        previous = in.previous_close;
    }
    const bool closing_time = in.hour >= 15 || (in.hour == 14 && in.minute >= 40);

    if (in.break_below > in.price) {
        flags.break_below = true;
        if (previous > in.break_below) {
            raise(kBreakBelow, in.break_below);
        }
    }
    if (in.cross_above < in.price && in.cross_above != 0.0f) {
        flags.cross_above = true;
        if (previous < in.cross_above) {
            raise(kCrossAbove, in.cross_above);
        }
    }
    // Near the close, a stock on the other side of its balance price than yesterday's close is in
    // the buy or sell zone; the tip for it is raised once.
    auto closing_tip = [&](bool& zone, std::vector<std::string>& tipped, const AlertText& text) {
        if (!closing_time) {
            return;
        }
        zone = true;
        if (tips.enabled && !Contains(tipped, in.name)) {
            raise(text, in.balance);
            tipped.push_back(in.name);
        }
    };
    if (in.balance != 0.0f) {
        if (in.previous_close < in.balance && in.price > in.balance) {
            if (previous < in.balance) {
                raise(kBalanceUp, in.balance);
            }
            closing_tip(flags.buy_zone, tips.buy, kBuyTip);
        } else if (in.previous_close > in.balance && in.price < in.balance) {
            if (previous > in.balance) {
                raise(kBalanceDown, in.balance);
            }
            closing_tip(flags.sell_zone, tips.sell, kSellTip);
        }
    }
    return verdict;
}

}  // namespace tickra
