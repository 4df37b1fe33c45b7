#include "app/tickra_settings.h"

#include <utility>

#include "base/mbcs.h"
#include "watch/move_alerts.h"

namespace tickra {

namespace {

constexpr const char* kSection = "Tickra";
constexpr const char* kAlerts = "Alerts";

const char* SwitchText(bool on) {
    return on ? "1" : "0";
}

}  // namespace

bool ParseSwitch(std::string_view text, bool default_value) {
    return text == "1" ? true : text == "0" ? false : default_value;
}

TickraSettings::TickraSettings(const ProfileText& file, std::unique_ptr<ProfileWriter> writer,
                               std::function<void()> tell_failure)
    : writer_(std::move(writer)), tell_failure_(std::move(tell_failure)) {
    const auto read = [&file](const char* section, const char* key) {
        // Cut as a buffer of 128 bytes cuts: longer values are none of the program's.
        return std::string(CutAtCharBoundary(file.Value(section, key), 127));
    };
    values_.taskbars = ParseTaskbarChoice(read(kSection, "Taskbars"));
    values_.sources = ParseFeedOrder(read(kSection, "Sources"));
    values_.moves = {ParseLimitsSwitch(read(kAlerts, "Limits")), ParseStep(read(kAlerts, "Step"))};
    values_.style.show_pnl = ParseSwitch(read(kSection, "ShowPnl"), false);
    values_.style.mono = ParseSwitch(read(kSection, "Mono"), false);
    values_.style.hide_amounts = ParseSwitch(read(kSection, "HideAmounts"), false);
    values_.hide_key = read(kSection, "HideKey");
}

void TickraSettings::SetTaskbars(TaskbarChoice taskbars) {
    values_.taskbars = taskbars;
    Keep(kSection, "Taskbars", TaskbarChoiceText(taskbars));
}

void TickraSettings::SetSources(const FeedOrder& sources) {
    values_.sources = sources;
    Keep(kSection, "Sources", FeedOrderText(sources));
}

void TickraSettings::SetMoves(const RefreshCycle::MoveSettings& moves) {
    const RefreshCycle::MoveSettings before = std::exchange(values_.moves, moves);
    if (moves.limits != before.limits) {
        Keep(kAlerts, "Limits", SwitchText(moves.limits));
    }
    if (moves.step != before.step) {
        Keep(kAlerts, "Step", std::to_string(moves.step));
    }
}

void TickraSettings::SetStyle(const LineStyle& style) {
    const LineStyle before = std::exchange(values_.style, style);
    const std::pair<const char*, bool LineStyle::*> keys[] = {
        {"ShowPnl", &LineStyle::show_pnl},
        {"Mono", &LineStyle::mono},
        {"HideAmounts", &LineStyle::hide_amounts},
    };
    for (const auto& [key, field] : keys) {
        if (style.*field != before.*field) {
            Keep(kSection, key, SwitchText(style.*field));
        }
    }
}

void TickraSettings::Keep(const char* section, const char* key, const std::string& value) {
    if (!writer_->WriteString(section, key, value.c_str()) && !telling_ && tell_failure_) {
        telling_ = true;
        tell_failure_();
        telling_ = false;
    }
}

}  // namespace tickra
