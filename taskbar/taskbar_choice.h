// Which taskbars show the ticker, as the user chose in the tray menu and tickra.ini keeps it.
#pragma once

#include <string_view>

namespace tickra {

enum class TaskbarChoice { kPrimary, kSecondary, kAll };

// "primary", "secondary" or "all", in any case and with blanks around; anything else, a missing
// file and a garbled one too, is the primary: the ticker is never lost to a bad file.
TaskbarChoice ParseTaskbarChoice(std::string_view text);
const char* TaskbarChoiceText(TaskbarChoice choice);

// Which taskbars get a ticker. Without a secondary taskbar, every choice shows it on the primary,
// so that the user never loses it.
struct TickerTargets {
    bool primary = true;
    bool secondaries = false;
    bool operator==(const TickerTargets&) const = default;
};
TickerTargets TargetsFor(TaskbarChoice choice, bool secondary_present);

}  // namespace tickra
