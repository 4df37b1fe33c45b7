// Provider host values of the build: "name" or "name:port".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tickra {

struct HostPort {
    std::string host;
    uint16_t port = 80;
};

// Splits "name:port"; without a port, or with one that is not a number from 1 to 65535, the port
// is 80 and the whole value is the host name.
HostPort SplitHostPort(std::string_view value);

}  // namespace tickra
