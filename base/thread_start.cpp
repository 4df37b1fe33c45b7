#include "base/thread_start.h"

#include <system_error>
#include <thread>
#include <utility>

namespace tickra {

// Elsewhere than on Windows, the library's default stack serves the tests.
bool StartDetachedThread(std::function<void()> body, size_t) {
    try {
        std::thread(std::move(body)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace tickra
