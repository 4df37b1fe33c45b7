#include "taskbar/ticker_theme_win.h"

#include <windows.h>

namespace tickra {

namespace {

bool HighContrastOn() {
    HIGHCONTRASTW high{};
    high.cbSize = sizeof(high);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(high), &high, 0) &&
           (high.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// The taskbar's light or dark setting; Windows before 10 has none.
std::optional<unsigned long> LightTaskbarSetting() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(
            HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
            L"SystemUsesLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// Read from the screen, not from the taskbar: asking the shell's window to draw would wait for
// the shell.
std::optional<Colour> ScreenPixel(ScreenPoint at) {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return std::nullopt;
    }
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour != CLR_INVALID ? std::optional<Colour>(colour) : std::nullopt;
}

}  // namespace

ThemeInputs ReadThemeInputs(bool own_window, std::optional<ScreenPoint> sample) {
    ThemeInputs inputs;
    inputs.high_contrast = HighContrastOn();
    inputs.system_window = GetSysColor(COLOR_WINDOW);
    inputs.system_text = GetSysColor(COLOR_WINDOWTEXT);
    inputs.own_window = own_window;
    if (own_window) {
        inputs.light_taskbar = LightTaskbarSetting();
    } else if (sample) {
        inputs.taskbar_pixel = ScreenPixel(*sample);
    }
    return inputs;
}

}  // namespace tickra
