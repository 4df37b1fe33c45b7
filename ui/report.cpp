#include "ui/report.h"

#include <windows.h>

#include <string>

namespace ui {

void Report(std::string_view name, std::string_view what) {
    OutputDebugStringA(("Tickra: " + std::string(name) + ": " + std::string(what) + "\n").c_str());
}

}  // namespace ui
