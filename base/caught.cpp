#include "base/caught.h"

#include <exception>

namespace tickra {

std::string CaughtText() {
    try {
        throw;
    } catch (const std::exception& caught) {
        return caught.what();
    } catch (...) {
        return "an exception of an unknown type";
    }
}

}  // namespace tickra
