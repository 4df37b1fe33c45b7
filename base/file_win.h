// Reading a whole file, bounded.
#pragma once

#include <cstddef>
#include <string>

namespace tickra {

// The file's bytes; empty when it cannot be read whole or is larger than max_bytes.
std::string ReadFileBytes(const std::wstring& path, size_t max_bytes);

// The process's current directory in the ANSI code page the profile functions take: code.ini is
// looked for where the program was started, not beside the executable.
std::string CurrentDirectoryAnsi();

}  // namespace tickra
