#include "base/local_time.h"

#include <array>

namespace tickra {

LocalTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    if (localtime_s(&local, &now) != 0) {
        return std::nullopt;
    }
#else
    if (localtime_r(&now, &local) == nullptr) {
        return std::nullopt;
    }
#endif
    return local;
}

std::string FormatTime(const LocalTime& time, const char* format) {
    if (!time) {
        return {};
    }
    std::array<char, 64> buffer{};
    const size_t length = std::strftime(buffer.data(), buffer.size(), format, &*time);
    return std::string(buffer.data(), length);
}

int MinuteOfDay(const LocalTime& time) {
    return time ? time->tm_hour * 60 + time->tm_min : -1;
}

int DayNumber(const LocalTime& time) {
    return time ? (time->tm_year + 1900) * 10000 + (time->tm_mon + 1) * 100 + time->tm_mday : 0;
}

}  // namespace tickra
