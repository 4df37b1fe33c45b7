// The settings window's watch list: its list view, the edit fields above it and the editing
// commands with their message boxes, and the message list below it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/dialog_services_win.h"
#include "base/background_task.h"
#include "edit/watch_list_editor.h"
#include "ui/dialog.h"
#include "ui/list_view.h"
#include "watch/profile_file.h"
#include "watch/profile_file_win.h"
#include "watch/watch_model.h"

namespace tickra {

class WatchListPage {
public:
    // dialog: the window whose controls these are.
    WatchListPage(ui::Dialog& dialog, WatchModel& model, DialogServices services,
                  std::shared_ptr<Mailbox> mailbox);

    // Sets up the list views and the fields, and reads the rows of code.ini at path on a worker;
    // on_loaded runs once they are in the list.
    void Create(const std::string& code_ini_path, std::function<void()> on_loaded);
    // The rows of code.ini are in the list. Until then the editing commands do nothing.
    bool loaded() const { return editor_ != nullptr; }
    // code.ini is being read.
    bool reading() const { return read_.busy(); }
    // Reads code.ini again if it could not be read (another program held it).
    void ReadAgain();
    // Exit: a read under way is no longer waited for; Join waits for it until the deadline.
    void Cancel() { read_.Cancel(); }
    bool Join(std::chrono::steady_clock::time_point deadline) { return read_.Join(deadline); }
    // Runs an editing command; false for another command.
    bool OnCommand(int id);
    bool editing() const { return editor_ && editor_->editing(); }
    // Told after a row went: the ticker may still show its history.
    void set_on_row_deleted(std::function<void()> handler) { on_row_deleted_ = std::move(handler); }

    // A "计" result, stored in its row of the list and of code.ini unless the row has gone or
    // changed.
    WatchListEditor::StoreResult StoreBalance(const BalanceItem& item, float price,
                                              const std::string& data_date);
    // The list view asks for a cell's text; false for another notification.
    bool OnNotify(NMHDR& notify) const;
    // A new line at the top of the message list.
    void AddMessage(const std::string& line, const std::string& time_text) const;
    void Tell(std::string_view text) const;
    void TellNotSaved() const;

    // Reading a file cannot be aborted: it ends by itself.
    struct ReadControl {
        void Abort() {}
    };
    // What reading code.ini gave.
    struct CodeIniRead {
        WatchList rows;
        bool holds_text = false;  // anything but blanks, list or not
        // Why the file could not be read; 0 when it could. A read that failed without a word
        // (a job that threw) comes back as a default one, which must not pass for an empty list.
        unsigned long error = ERROR_READ_FAULT;
    };

private:
    void StartReading();
    void OnRead(CodeIniRead read);
    EditFields ReadFields() const;
    void WriteFields(const EditFields& fields) const;
    void ShowEditMode() const;
    void ShowRow(size_t index) const;
    void OnApply();
    void OnModify();
    void OnCancelEdit();
    void OnDelete();
    void OnMove(bool up);

    ui::Dialog& dialog_;
    WatchModel& model_;
    DialogServices services_;
    std::string code_ini_path_;
    std::function<void()> on_loaded_;
    BackgroundTask<CodeIniRead, ReadControl> read_;
    bool told_unread_ = false;  // that the file could not be read, said once a run
    std::unique_ptr<PrivateProfileFile> code_ini_file_;
    std::unique_ptr<ProfileFile> code_ini_;  // writes through to the file once allowed
    std::unique_ptr<WatchListEditor> editor_;
    ui::ListView watch_view_;
    ui::ListView message_view_;
    std::function<void()> on_row_deleted_;
};

}  // namespace tickra
