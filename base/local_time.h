// The local date and time as the program reads it; empty when it cannot be broken down.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace tickra {

using LocalTime = std::optional<std::tm>;
using Clock = std::function<LocalTime()>;

// The local clock of the machine.
LocalTime LocalNow();

// strftime into a string; empty for an empty time.
std::string FormatTime(const LocalTime& time, const char* format);

// Minute of the day (hour × 60 + minute), or -1 for an empty time.
int MinuteOfDay(const LocalTime& time);

// The day as yyyymmdd (20261209), or 0 for an empty time.
int DayNumber(const LocalTime& time);

}  // namespace tickra
