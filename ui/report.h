// Reports of failures nobody waits for (a window procedure that threw, a shell call the shell
// refused), by the name of the work, where a debugger or DebugView shows them.
#pragma once

#include <string_view>

namespace ui {

// "Tickra: <name>: <what>".
void Report(std::string_view name, std::string_view what);

}  // namespace ui
