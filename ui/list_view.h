// A report-style list view control, with GB2312 texts.
#pragma once

#include <string>
#include <string_view>

#include "ui/window.h"

namespace ui {

class ListView : public Window {
public:
    using Window::Window;

    void SetExtendedStyle(DWORD style) const;
    void InsertColumn(int index, std::string_view heading, int width) const;
    int Count() const;
    // Returns the index of the new row, or -1.
    int InsertItem(int index, std::string_view text) const;
    void SetItemText(int item, int column, std::string_view text) const;
    std::string ItemText(int item, int column) const;
    bool DeleteItem(int item) const;
    // A list that asks its owner for its texts: how many rows it has, and which to draw again.
    void SetItemCount(int count) const;
    void RedrawItems(int first, int last) const;
    // The first selected row, or -1.
    int SelectedItem() const;
    void ClearSelection() const;
};

}  // namespace ui
