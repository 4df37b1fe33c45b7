// What a catch-all caught, in words, for the reports that name the work it broke.
#pragma once

#include <string>

namespace tickra {

// Only inside a catch block: the exception's own text when it is a std::exception, else a word
// that says it was something else.
std::string CaughtText();

}  // namespace tickra
