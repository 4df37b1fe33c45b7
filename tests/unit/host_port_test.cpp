#include <gtest/gtest.h>

#include "net/host_port.h"

namespace tickra {
namespace {

TEST(SplitHostPort, PortIsEightyUnlessGiven) {
    struct Case {
        const char* value;
        const char* host;
        uint16_t port;
    };
    const Case cases[] = {
        {"hq.example.com", "hq.example.com", 80},
        {"127.0.0.1:18400", "127.0.0.1", 18400},
        {"host:65535", "host", 65535},
        {"host:65536", "host:65536", 80},
        {"host:0", "host:0", 80},
        {"host:", "host:", 80},
        {"host:8a", "host:8a", 80},
        {"", "", 80},
    };
    for (const Case& c : cases) {
        const HostPort hp = SplitHostPort(c.value);
        EXPECT_EQ(hp.host, c.host) << c.value;
        EXPECT_EQ(hp.port, c.port) << c.value;
    }
}

}  // namespace
}  // namespace tickra
