// Tickra's own settings, kept in tickra.ini beside code.ini (whose sections are stock codes): read
// once at start, and each change written as its one key. A value that cannot be read is taken as
// its default, and leaves the other keys as they are.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "taskbar/taskbar_choice.h"
#include "watch/feed_router.h"
#include "watch/profile_file.h"
#include "watch/profile_text.h"
#include "watch/refresh_cycle.h"
#include "watch/ticker_line.h"

namespace tickra {

struct SettingsValues {
    TaskbarChoice taskbars = TaskbarChoice::kPrimary;  // [Tickra] Taskbars
    FeedOrder sources = kDefaultFeedOrder;             // [Tickra] Sources
    RefreshCycle::MoveSettings moves;                  // [Alerts] Limits, Step
    LineStyle style;                                   // [Tickra] ShowPnl, Mono, HideAmounts
    std::string hide_key;  // [Tickra] HideKey as written; empty when missing
};

class TickraSettings {
public:
    // file: tickra.ini as read at start, once; changes go to it through writer. tell_failure says
    // that a change could not be written and holds only for this run; it is not called again
    // while it is still telling an earlier one (the tray's menu works meanwhile).
    TickraSettings(const ProfileText& file, std::unique_ptr<ProfileWriter> writer,
                   std::function<void()> tell_failure);

    const SettingsValues& values() const { return values_; }

    void SetTaskbars(TaskbarChoice taskbars);
    void SetSources(const FeedOrder& sources);
    // Only the keys whose values changed are written.
    void SetMoves(const RefreshCycle::MoveSettings& moves);
    void SetStyle(const LineStyle& style);

private:
    void Keep(const char* section, const char* key, const std::string& value);

    std::unique_ptr<ProfileWriter> writer_;
    std::function<void()> tell_failure_;
    bool telling_ = false;
    SettingsValues values_;
};

// A switch kept as "1" or "0"; anything else is the default.
bool ParseSwitch(std::string_view text, bool default_value);

}  // namespace tickra
