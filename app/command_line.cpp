#include "app/command_line.h"

#include "base/mbcs.h"

namespace tickra {

std::string_view ArgumentsAfterProgramName(std::string_view command_line) {
    size_t i = 0;
    if (!command_line.empty() && command_line[0] == '"') {
        // A quoted program name runs to the next quote; spaces inside it do not end it.
        const size_t close = command_line.find('"', 1);
        i = close == std::string_view::npos ? command_line.size() : close + 1;
    }
    while (i < command_line.size() && command_line[i] != ' ' && command_line[i] != '\t') {
        ++i;
    }
    while (i < command_line.size() && (command_line[i] == ' ' || command_line[i] == '\t')) {
        ++i;
    }
    return command_line.substr(i);
}

bool TipsSwitchFromArguments(std::string_view arguments) {
    return UpperCaseMbcs(arguments) == "/BS";
}

}  // namespace tickra
