// The shape of an HTTP request as the program's logic sees it, so that the logic can be run
// without a network.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tickra {

// What kept a transfer from bringing a whole answer, as the client met it.
enum class NetFailure {
    kNone,
    kRefused,   // nothing listens at the host's port
    kTimedOut,  // no answer, or not all of it, within the bounds
    kNoHost,    // the host's name is not known
    kBroken,    // the connection broke, or the answer came cut off or too large
};

struct HttpAnswer {
    bool complete = false;                   // the whole answer arrived within its bounds
    unsigned long status = 0;                // HTTP status; 0 when there was none
    std::string body;                        // empty unless complete
    NetFailure failure = NetFailure::kNone;  // why it is not complete

    // A complete answer with status 200. Anything else is trouble on the way (no connection, a
    // time-out, an error status, a body cut off), not what the feed had to say.
    bool ok() const { return complete && status == 200; }
};

// An answer that arrived whole with status 200: what a fake server gives in tests.
inline HttpAnswer Answered(std::string body) {
    return {true, 200, std::move(body)};
}

using HttpFunction = std::function<HttpAnswer(std::string_view body, std::string_view verb,
                                              std::string_view host, std::string_view object)>;

}  // namespace tickra
