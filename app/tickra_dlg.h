// The main dialog: settings window of the watch list and owner of everything that runs.
#pragma once

#include <windows.h>

#include <string>

#include "ui/dialog.h"
#include "ui/list_view.h"
#include "watch/watch_list.h"

namespace tickra {

class CTickraDlg : public ui::Dialog {
  public:
    // arguments: the command-line text after the program name.
    explicit CTickraDlg(std::string arguments);
    ~CTickraDlg() override;

    bool PreTranslateMessage(MSG& message) override;

    // Settings: show the dialog with its taskbar button. Close: hide both.
    void ShowSettings();
    void HideSettings();
    // Exit: frees everything the dialog owns and ends its modal loop.
    void Teardown();

    const WatchList& watch_list() const { return rows_; }
    const std::string& code_ini_path() const { return code_ini_path_; }
    bool tips_switch() const { return tips_switch_; }

  protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    bool OnCommand(int id, int notify_code, HWND control) override;

  private:
    void AddAboutToSystemMenu() const;
    void SetUpListViews() const;
    void LoadWatchListFromFile();
    void AppendRowToView(const WatchRow& row) const;
    void PaintMinimised();

    std::string arguments_;
    HICON icon_ = nullptr;  // shared resource icon: never destroyed
    // The dialog is shown by its modal loop; the first frame paints hide it again, so the program
    // starts with only its ticker and tray icon on screen.
    int hide_on_frame_paints_ = 2;

    WatchList rows_;
    int current_index_ = 0;
    int tick_counter_ = 0;
    float reference_price_ = -1.0f;
    std::string code_ini_path_;
    std::string pending_data_date_;
    bool tips_switch_ = false;

    ui::ListView watch_view_;
    ui::ListView message_view_;
};

}  // namespace tickra
