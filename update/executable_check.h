// Whether a downloaded file is a program this machine can run, before it is handed over.
#pragma once

#include <string_view>

namespace tickra {

// A Windows executable image for x86-64: "MZ", "PE\0\0" where the header says, machine type
// AMD64, marked executable and not a DLL.
bool IsWindowsExecutable(std::string_view bytes);

}  // namespace tickra
