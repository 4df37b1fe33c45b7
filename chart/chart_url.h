// Where the intraday chart's picture comes from.
#pragma once

#include <string>
#include <string_view>

#include "base/local_time.h"

namespace tickra {

// "http://" host "/chart/bf/<market digit>/<code as held>.png?<%Y%m%d%H%M%S>". The market digit
// is 0 for "1A0001" and "1a0001" and for codes starting with 6 or 5, else 1.
std::string ChartUrl(std::string_view host, std::string_view code, const LocalTime& now);

}  // namespace tickra
