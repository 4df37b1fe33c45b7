// Selects a GDI object into a device context for a scope and puts the previous one back, so that
// the object is never freed while still selected.
#pragma once

#include <windows.h>

namespace ui {

class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectObjectGuard() { SelectObject(dc_, previous_); }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace ui
