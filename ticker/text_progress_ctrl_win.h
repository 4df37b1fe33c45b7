// The ticker control: one line of quote text, its markers and the per-minute chart, painted
// off-screen. A progress-bar control underneath; what is seen comes from here.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "ticker/ticker_chart.h"
#include "ticker/ticker_palette.h"
#include "ticker/wheel_steps.h"
#include "ui/custom_window.h"
#include "watch/stock_entry.h"
#include "watch/ticker_state.h"

namespace tickra {

class CTextProgressCtrl : public ui::CustomWindow {
public:
    static constexpr wchar_t kClassName[] = L"tickra_progress32";

    CTextProgressCtrl();

    // Creates the window of class "tickra_progress32"; rect in the parent's client coordinates.
    bool CreateWindowIn(HWND parent, const RECT& rect, DWORD style, int id);

    // Copies flags, tone, reference price, text and the stock's history (none: no chart); does
    // not repaint. The history is copied: the row it belongs to may be deleted. The line becomes
    // the window's text, for screen readers.
    void ApplyTickerState(const TickerState& state, const MinuteHistory* history);

    // The background and the colours drawn on it; true when they changed.
    bool SetColours(const TickerColours& colours);
    const TickerColours& colours() const { return colours_; }
    // The sizes of what is drawn, for the display's scaling.
    void SetMetrics(const TickerMetrics& metrics) { metrics_ = metrics; }
    const TickerMetrics& metrics() const { return metrics_; }

    // What the pointer does over the ticker: it rests on it (about 400 ms), leaves it, asks for
    // its menu (value: the screen point, as MAKELPARAM), or turns the wheel (value: whole steps,
    // positive away from the user).
    enum class Pointer { kRest, kLeave, kMenu, kWheel };
    void set_on_pointer(std::function<void(Pointer what, int value)> handler) {
        on_pointer_ = std::move(handler);
    }
    void set_on_left_click(std::function<void()> handler) { on_left_click_ = std::move(handler); }
    // The owner's timers on the ticker's window; the handler says whether a timer was its own.
    void set_on_timer(std::function<bool(UINT_PTR id)> handler) { on_timer_ = std::move(handler); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    // The palette as drawn: in the office look, every colour but the grey is the text's.
    TickerPalette palette() const {
        return mono_ ? Monochrome(colours_.palette) : colours_.palette;
    }
    static constexpr DWORD kRestMs = 400;  // before the pointer counts as resting

    // Answers the pointer's messages that it tells its owner of; nothing for the others.
    std::optional<LRESULT> OnPointer(UINT message, WPARAM wparam, LPARAM lparam);
    bool PointerIsOver() const;
    void Paint();
    void DrawMarkers(HDC dc, const RECT& client) const;
    void DrawPin(HDC dc, const RECT& client) const;
    // The count of unseen alerts, a dot and a number just before the markers; returns the x where
    // it begins, for the chart to end there.
    int DrawUnseenMark(HDC dc, const RECT& client) const;
    void DrawChart(HDC dc, const RECT& client, int text_width, int right) const;

    // The control is a progress bar underneath, and is painted as one whose bar stays empty: the
    // bar's position and range exist only for that.
    int position_ = 0;
    int upper_ = 100;
    int lower_ = 0;
    std::wstring window_text_;
    TickerColours colours_;
    // The palette gives the tone its shade for the background.
    Tone tone_ = Tone::kMissing;
    bool mono_ = false;
    std::string ticker_text_;
    DisplayFlags flags_;
    bool held_ = false;
    int unseen_ = 0;
    std::optional<MinuteHistory> history_;
    float reference_price_ = 0.0f;
    TickerMetrics metrics_;
    bool tracking_ = false;  // the pointer is over this window, and its leaving will be told
    WheelSteps wheel_;
    std::function<void(Pointer, int)> on_pointer_;
    std::function<void()> on_left_click_;
    std::function<bool(UINT_PTR)> on_timer_;
};

}  // namespace tickra
