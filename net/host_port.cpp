#include "net/host_port.h"

namespace tickra {

HostPort SplitHostPort(std::string_view value) {
    const size_t colon = value.rfind(':');
    if (colon != std::string_view::npos && colon + 1 < value.size() && colon > 0) {
        const std::string_view digits = value.substr(colon + 1);
        unsigned long port = 0;
        bool numeric = digits.size() <= 5;
        for (char c : digits) {
            numeric = numeric && c >= '0' && c <= '9';
            port = port * 10 + static_cast<unsigned long>(c - '0');
        }
        if (numeric && port >= 1 && port <= 65535) {
            return {std::string(value.substr(0, colon)), static_cast<uint16_t>(port)};
        }
    }
    return {std::string(value), 80};
}

}  // namespace tickra
