#include "ui/list_view.h"

#include <commctrl.h>

#include <vector>

#include "base/code_page_win.h"

namespace ui {

void ListView::SetExtendedStyle(DWORD style) const {
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, style, style);
}

void ListView::InsertColumn(int index, std::string_view heading, int width) const {
    std::wstring text = tickra::Widen(heading);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = text.data();
    column.iSubItem = index;
    Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int ListView::Count() const {
    return static_cast<int>(Send(LVM_GETITEMCOUNT));
}

int ListView::InsertItem(int index, std::string_view text) const {
    std::wstring wide = tickra::Widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = wide.data();
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetItemText(int item, int column, std::string_view text) const {
    std::wstring wide = tickra::Widen(text);
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = wide.data();
    Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
}

std::string ListView::ItemText(int item, int column) const {
    // The control gives no length; grow the buffer until the text fits with room to spare.
    for (size_t size = 64;; size *= 4) {
        std::vector<wchar_t> buffer(size, L'\0');
        LVITEMW lv{};
        lv.iSubItem = column;
        lv.pszText = buffer.data();
        lv.cchTextMax = static_cast<int>(size);
        const auto length = static_cast<size_t>(
            Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)));
        if (length + 1 < size || size >= 65536) {
            return tickra::Narrow(std::wstring_view(lv.pszText, length));
        }
    }
}

bool ListView::DeleteItem(int item) const {
    return Send(LVM_DELETEITEM, static_cast<WPARAM>(item)) != FALSE;
}

void ListView::SetItemCount(int count) const {
    // The rows in view stay where they are, and only the ones that change are drawn again.
    Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
}

void ListView::RedrawItems(int first, int last) const {
    Send(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
}

int ListView::SelectedItem() const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListView::ClearSelection() const {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

}  // namespace ui
