// "计算" and "计": the balance price of the code in the edit field, or of every row, computed on a
// worker; each button stops the work when pressed again, as Escape does, and "计" shows its
// progress.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/dialog_services_win.h"
#include "app/watch_list_page_win.h"
#include "base/mailbox.h"
#include "history/balance_run_win.h"
#include "ui/dialog.h"
#include "watch/watch_model.h"

namespace tickra {

class BalanceButtons {
public:
    // page: where computed prices are stored and shown.
    BalanceButtons(ui::Dialog& dialog, WatchModel& model, WatchListPage& page,
                   DialogServices services, std::shared_ptr<Mailbox> mailbox);

    // Runs "计算" or "计"; false for another command.
    bool OnCommand(int id);
    bool running() const { return button_ != 0; }
    // Ends the computation under way and puts the buttons back.
    void Stop();
    // "计" is not for a list being edited.
    void EnableFor(bool editing) const;

    // Exit: the worker aborts at once; Join waits for it until the deadline.
    void Cancel() { run_.Cancel(); }
    bool Join(SteadyTime deadline) { return run_.Join(deadline); }

private:
    void Start(int button, std::vector<BalanceItem> items);
    void OnResult(const BalanceItem& item, float price, const std::string& data_date);

    ui::Dialog& dialog_;
    WatchModel& model_;
    WatchListPage& page_;
    DialogServices services_;
    BalanceRun run_;
    int button_ = 0;  // the command under way, 0 for none
};

}  // namespace tickra
