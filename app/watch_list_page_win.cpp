#include "app/watch_list_page_win.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "base/code_page_win.h"
#include "base/local_time.h"
#include "base/text_util.h"
#include "res/resource.h"
#include "watch/profile_text.h"
#include "watch/watch_list_loader.h"

namespace tickra {

namespace {

// On a worker: a list of a hundred thousand stocks takes seconds to read and parse under Wine.
WatchListPage::CodeIniRead ReadCodeIni(const std::string& path, WatchListPage::ReadControl&) {
    const PrivateProfileFile::Contents contents = PrivateProfileFile(path).Read();
    WatchListPage::CodeIniRead read;
    read.holds_text = contents.holds_text;
    read.error = contents.error;
    if (contents.error == 0) {
        // Read in one pass: key by key, a list of thousands would read the whole file thousands
        // of times while Wine takes it to be fresh.
        ProfileText text(contents.text);
        read.rows = LoadWatchList(text);
    }
    return read;
}

// Why code.ini could not be read, in the user's words.
std::string ReadFailure(unsigned long error) {
    switch (error) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "另一个程序正占用着它";
        case ERROR_ACCESS_DENIED:
            return "没有读取它的权限";
        default:
            return Format("错误 %lu", error);
    }
}

}  // namespace

WatchListPage::WatchListPage(ui::Dialog& dialog, WatchModel& model, DialogServices services,
                             std::shared_ptr<Mailbox> mailbox)
    : dialog_(dialog),
      model_(model),
      services_(std::move(services)),
      read_("code.ini read", std::move(mailbox)) {}

void WatchListPage::Create(const std::string& code_ini_path, std::function<void()> on_loaded) {
    watch_view_ = ui::ListView(dialog_.Item(IDC_WATCH_LIST).hwnd());
    message_view_ = ui::ListView(dialog_.Item(IDC_MESSAGE_LIST).hwnd());
    dialog_.Item(IDC_CANCEL_EDIT).Show(SW_HIDE);
    model_.pending_data_date.clear();
    WriteFields(ClearedFields());
    dialog_.SetItemText(IDC_ROTATION, "1");

    // Column widths are for 96 dpi; at higher scaling they grow with the dialog's font.
    const int dpi = ui::ScreenDpi();
    auto width = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    watch_view_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    watch_view_.InsertColumn(kColCode, "代码", width(60));
    watch_view_.InsertColumn(kColBreakBelow, "下破", width(60));
    watch_view_.InsertColumn(kColCrossAbove, "上穿", width(60));
    watch_view_.InsertColumn(kColBalance, "平衡价", width(80));
    watch_view_.InsertColumn(kColDataDate, "数据日期", width(100));
    watch_view_.InsertColumn(kColCost, "成本", width(60));
    watch_view_.InsertColumn(kColShares, "持股", width(60));
    message_view_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    message_view_.InsertColumn(0, "信息内容", width(420));
    message_view_.InsertColumn(1, "日期", width(100));
    code_ini_path_ = code_ini_path;
    on_loaded_ = std::move(on_loaded);
    StartReading();
}

void WatchListPage::StartReading() {
    read_.Start(ReadCodeIni, code_ini_path_, [this](CodeIniRead read) { OnRead(std::move(read)); });
}

void WatchListPage::ReadAgain() {
    if (!loaded() && !read_.busy()) {
        StartReading();
    }
}

void WatchListPage::OnRead(CodeIniRead read) {
    if (read.error != 0) {
        // Nothing is written meanwhile: the editing commands wait for the list. The ticker, shown
        // at every tick until then, says why it has nothing to show.
        model_.ticker = TickerState{};
        model_.ticker.text = "code.ini 无法读取.";
        if (!told_unread_) {
            told_unread_ = true;
            const std::string why = ReadFailure(read.error);
            AddMessage("code.ini 无法读取（" + why + "），正在再试。",
                       FormatTime(services_.clock(), "%H:%M:%S"));
            Tell(
                Format("code.ini 无法读取（%s）。在读出之前，股票列表是空的，也不能修改；"
                       "程序会不断再试。\r\n\r\n%s",
                       why.c_str(), code_ini_path_.c_str()));
        }
        return;
    }
    model_.Replace(std::move(read.rows));
    // Text but no list: another encoding or a damaged file, which the first edit would replace.
    const bool unreadable = model_.empty() && read.holds_text;
    code_ini_file_ = std::make_unique<PrivateProfileFile>(code_ini_path_);
    code_ini_ = std::make_unique<ConfirmedWrites>(*code_ini_file_, !unreadable, [this] {
        return services_.message_box(dialog_.hwnd(),
                                     "code.ini 里没有能读出的股票列表，保存会覆盖其中的内容。"
                                     "要保存吗？",
                                     "Tickra", MB_YESNO | MB_ICONQUESTION) == IDYES;
    });
    // The list view asks the rows for its texts: however long the list, it is shown at once.
    // (Its new count redraws it whole; redrawing row by row takes seconds for a long list.)
    watch_view_.SetItemCount(static_cast<int>(model_.size()));
    editor_ = std::make_unique<WatchListEditor>(model_, *code_ini_);
    if (on_loaded_) {
        on_loaded_();
    }
    // Said last: the box's loop runs ticks and commands, which find the list in place.
    if (unreadable) {
        Tell(
            "code.ini 里没有能读出的股票列表（也许是别的编码，或文件已损坏）。"
            "在您同意之前，程序不会写入它。");
    }
}

bool WatchListPage::OnCommand(int id) {
    if (!loaded()) {
        // A command before the rows are in would write beside a list it has not seen.
        return id == IDC_APPLY || id == IDC_MODIFY || id == IDC_CANCEL_EDIT || id == IDC_DELETE ||
               id == IDC_MOVE_UP || id == IDC_MOVE_DOWN;
    }
    switch (id) {
        case IDC_APPLY:
            OnApply();
            return true;
        case IDC_MODIFY:
            OnModify();
            return true;
        case IDC_CANCEL_EDIT:
            OnCancelEdit();
            return true;
        case IDC_DELETE:
            OnDelete();
            return true;
        case IDC_MOVE_UP:
        case IDC_MOVE_DOWN:
            OnMove(id == IDC_MOVE_UP);
            return true;
        default:
            return false;
    }
}

WatchListEditor::StoreResult WatchListPage::StoreBalance(const BalanceItem& item, float price,
                                                         const std::string& data_date) {
    size_t row = 0;
    const WatchListEditor::StoreResult result = editor_->StoreBalance(item, price, data_date, row);
    if (result == WatchListEditor::StoreResult::kStored) {
        ShowRow(row);
    }
    return result;
}

void WatchListPage::AddMessage(const std::string& line, const std::string& time_text) const {
    message_view_.InsertItem(0, line);
    message_view_.SetItemText(0, 1, time_text);
}

void WatchListPage::Tell(std::string_view text) const {
    services_.message_box(dialog_.hwnd(), text, "Tickra", MB_OK | MB_ICONEXCLAMATION);
}

void WatchListPage::TellNotSaved() const {
    Tell("code.ini 无法保存，这次修改没有生效。\r\n\r\n" + code_ini_path_);
}

EditFields WatchListPage::ReadFields() const {
    return {dialog_.ItemText(IDC_CODE),        dialog_.ItemText(IDC_BREAK_BELOW),
            dialog_.ItemText(IDC_CROSS_ABOVE), dialog_.ItemText(IDC_BALANCE),
            dialog_.ItemText(IDC_COST),        dialog_.ItemText(IDC_SHARES),
            dialog_.ItemText(IDC_ALIAS)};
}

void WatchListPage::WriteFields(const EditFields& fields) const {
    dialog_.SetItemText(IDC_CODE, fields.code);
    dialog_.SetItemText(IDC_BREAK_BELOW, fields.break_below);
    dialog_.SetItemText(IDC_CROSS_ABOVE, fields.cross_above);
    dialog_.SetItemText(IDC_BALANCE, fields.balance);
    dialog_.SetItemText(IDC_COST, fields.cost);
    dialog_.SetItemText(IDC_SHARES, fields.shares);
    dialog_.SetItemText(IDC_ALIAS, fields.alias);
}

void WatchListPage::ShowEditMode() const {
    const bool editing = editor_->editing();
    dialog_.SetItemText(IDC_APPLY, editing ? "修改" : "添加");
    for (int id : {IDC_WATCH_LIST, IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_MODIFY, IDC_DELETE, IDC_CODE}) {
        dialog_.Item(id).Enable(!editing);
    }
    dialog_.Item(IDC_CANCEL_EDIT).Show(editing ? SW_SHOW : SW_HIDE);
}

void WatchListPage::ShowRow(size_t index) const {
    watch_view_.RedrawItems(static_cast<int>(index), static_cast<int>(index));
}

bool WatchListPage::OnNotify(NMHDR& notify) const {
    if (notify.idFrom != IDC_WATCH_LIST || notify.code != LVN_GETDISPINFOW) {
        return false;
    }
    // The list view's own notification: the NMHDR begins its NMLVDISPINFOW.
    auto& info = *reinterpret_cast<NMLVDISPINFOW*>(&notify);
    const auto row = static_cast<size_t>(info.item.iItem);
    if ((info.item.mask & LVIF_TEXT) == 0 || info.item.iItem < 0 || row >= model_.size() ||
        info.item.iSubItem < 0 || info.item.iSubItem >= kWatchColumnCount) {
        return true;
    }
    CopyTerminated(Widen(model_.row(row).Cell(info.item.iSubItem)), info.item.pszText,
                   static_cast<size_t>(std::max(info.item.cchTextMax, 0)));
    return true;
}

void WatchListPage::OnApply() {
    EditFields fields = ReadFields();
    switch (editor_->Apply(fields, watch_view_.SelectedItem())) {
        case WatchListEditor::ApplyResult::kCodeMissing:
            Tell("先输入股票代码。");
            return;
        case WatchListEditor::ApplyResult::kNotSaved:
            TellNotSaved();
            return;
        case WatchListEditor::ApplyResult::kDuplicate:
            Tell("这只股票已在列表中。");
            return;
        case WatchListEditor::ApplyResult::kNotStorable:
            Tell("代码中不能有 [ ] = 或控制字符，价格中不能有控制字符。");
            return;
        case WatchListEditor::ApplyResult::kCostInvalid:
            Tell("成本应是 0 到 100000 之间的数，最多三位小数。");
            return;
        case WatchListEditor::ApplyResult::kSharesInvalid:
            Tell("持股应是 0 到 1000000000 之间的整数。");
            return;
        case WatchListEditor::ApplyResult::kCodeTooLong:
            Tell(Format("代码太长：最多 %u 个字节（一个汉字占两个字节）。",
                        static_cast<unsigned>(kMaxCodeBytes)));
            return;
        case WatchListEditor::ApplyResult::kAdded:
            watch_view_.SetItemCount(static_cast<int>(model_.size()));
            break;
        case WatchListEditor::ApplyResult::kChanged:
            ShowRow(static_cast<size_t>(watch_view_.SelectedItem()));
            break;
    }
    WriteFields(fields);
    ShowEditMode();
}

void WatchListPage::OnModify() {
    EditFields fields;
    if (editor_->Modify(watch_view_.SelectedItem(), fields)) {
        WriteFields(fields);
        ShowEditMode();
    }
}

void WatchListPage::OnCancelEdit() {
    EditFields fields;
    editor_->Cancel(fields);
    WriteFields(fields);
    ShowEditMode();
}

void WatchListPage::OnDelete() {
    const int selected = watch_view_.SelectedItem();
    const WatchListEditor::DeleteResult result = editor_->Delete(selected);
    if (result == WatchListEditor::DeleteResult::kNotSaved) {
        TellNotSaved();
    } else if (result == WatchListEditor::DeleteResult::kDeleted) {
        watch_view_.DeleteItem(selected);
        if (on_row_deleted_) {
            on_row_deleted_();
        }
    }
}

void WatchListPage::OnMove(bool up) {
    const int selected = watch_view_.SelectedItem();
    if (up ? editor_->MoveUp(selected) : editor_->MoveDown(selected)) {
        // The two rows trade texts in place, so a long list keeps its scroll position.
        ShowRow(static_cast<size_t>(selected));
        ShowRow(static_cast<size_t>(up ? selected - 1 : selected + 1));
        watch_view_.ClearSelection();  // each further move needs a new selection
    }
}

}  // namespace tickra
