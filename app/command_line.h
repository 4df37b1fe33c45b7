// The program's command line: its only switch, "/BS", turns on the closing-time tips.
#pragma once

#include <string>
#include <string_view>

namespace tickra {

// The text after the program name of a full command line (as GetCommandLine returns it), with
// the white space that separates the two removed.
std::string_view ArgumentsAfterProgramName(std::string_view command_line);

// True when the arguments, upper-cased, are exactly "/BS".
bool TipsSwitchFromArguments(std::string_view arguments);

}  // namespace tickra
