// Feed records, times, watch-list files and recorders shared by the tests.
#pragma once

#include <string>
#include <vector>

#include "base/local_time.h"
#include "watch/alert_rules.h"

namespace tickra::testing {

// A feed record in the provider's layout; fields not given are plausible filler.
inline std::string FeedRecord(const std::string& name, const std::string& previous_close,
                              const std::string& open, const std::string& change,
                              const std::string& last) {
    return "var hq_str='0600000;" + name + ";" + previous_close + ";" + open +
           ";10.300;9.950;1234567;" + change + ";12345;0.01;" + last + ";end';\n";
}

inline LocalTime At(int hour, int minute, int second = 0) {
    std::tm t{};
    t.tm_year = 108;
    t.tm_mon = 6;
    t.tm_mday = 8;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// A code.ini text with count sections 600000, 600001, … (seven bytes each in a name list).
inline std::string SixDigitSections(int count, const char* lines = "under=1\r\n") {
    std::string ini;
    for (int i = 0; i < count; ++i) {
        ini.append("[").append(std::to_string(600000 + i)).append("]\r\n").append(lines);
    }
    return ini;
}

// The titles of the alerts raised, in order.
inline std::vector<std::string> Titles(const std::vector<Alert>& alerts) {
    std::vector<std::string> titles;
    for (const Alert& alert : alerts) {
        titles.push_back(alert.title);
    }
    return titles;
}

}  // namespace tickra::testing
