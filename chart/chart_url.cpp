#include "chart/chart_url.h"

namespace tickra {

std::string ChartUrl(std::string_view host, std::string_view code, const LocalTime& now) {
    const bool zero = code == "1A0001" || code == "1a0001" ||
                      (!code.empty() && (code[0] == '6' || code[0] == '5'));
    return "http://" + std::string(host) + "/chart/bf/" + (zero ? "0" : "1") + "/" +
           std::string(code) + ".png?" + FormatTime(now, "%Y%m%d%H%M%S");
}

}  // namespace tickra
