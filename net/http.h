// The shape of an HTTP request as the program's logic sees it, so that the logic can be run
// without a network: the body of the answer, or empty text when nothing was received.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tickra {

using HttpFunction = std::function<std::string(std::string_view body, std::string_view verb,
                                               std::string_view host, std::string_view object)>;

}  // namespace tickra
