// The hover card: a small window beside a ticker that says, line by line, what the ticker shows,
// and what went wrong when the line is grey. It never takes the focus; its window text is its
// whole text, for screen readers.
#pragma once

#include <windows.h>

#include <vector>

#include "ticker/ticker_palette.h"
#include "ui/custom_window.h"
#include "watch/quote_card.h"

namespace tickra {

class CQuoteCard : public ui::CustomWindow {
public:
    static constexpr wchar_t kClassName[] = L"TickraQuoteCard";

    // Shows the lines beside the ticker, in the ticker's colours, with its font's height.
    void ShowBeside(HWND ticker, const std::vector<CardLine>& lines, const TickerColours& colours,
                    int font_height);
    void Hide();

protected:
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    void Paint();

    std::vector<CardLine> lines_;
    TickerColours colours_{};
    int font_height_ = 12;
    int line_height_ = 16;
};

}  // namespace tickra
