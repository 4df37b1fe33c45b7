#include "app/balance_buttons_win.h"

#include <utility>

#include "base/text_util.h"
#include "res/resource.h"

namespace tickra {

BalanceButtons::BalanceButtons(ui::Dialog& dialog, WatchModel& model, WatchListPage& page,
                               DialogServices services, std::shared_ptr<Mailbox> mailbox)
    : dialog_(dialog),
      model_(model),
      page_(page),
      services_(std::move(services)),
      run_(std::move(mailbox), services_.http, services_.history_hosts) {}

bool BalanceButtons::OnCommand(int id) {
    if (id != IDC_COMPUTE && id != IDC_COMPUTE_ALL) {
        return false;
    }
    if (!page_.loaded()) {
        return true;  // a price computed now would be stored beside a list not read yet
    }
    if (running()) {
        Stop();  // pressed again
        return true;
    }
    if (id == IDC_COMPUTE) {
        const std::string code = dialog_.ItemText(IDC_CODE);
        if (code.empty()) {
            page_.Tell("先输入股票代码。");
        } else {
            Start(IDC_COMPUTE, {{0, code, {}}});
        }
        return true;
    }
    std::vector<BalanceItem> items;
    for (const WatchRow& row : model_.rows()) {
        items.push_back({row.entry->serial, row.code, row.balance});
    }
    if (!items.empty()) {
        Start(IDC_COMPUTE_ALL, std::move(items));
    }
    return true;
}

void BalanceButtons::Start(int button, std::vector<BalanceItem> items) {
    button_ = button;
    // Pressing the button again, or Escape, stops the work.
    dialog_.SetItemText(button, button == IDC_COMPUTE ? "停止" : "停");
    dialog_.Item(button == IDC_COMPUTE ? IDC_COMPUTE_ALL : IDC_COMPUTE).Enable(false);
    if (button == IDC_COMPUTE_ALL) {
        dialog_.SetItemText(IDC_COMPUTE_PROGRESS,
                            Format("0/%u", static_cast<unsigned>(items.size())));
    }
    run_.Start(std::move(items), services_.clock(),
               [this](const BalanceItem& item, float price, const std::string& data_date) {
                   OnResult(item, price, data_date);
               });
}

void BalanceButtons::OnResult(const BalanceItem& item, float price, const std::string& data_date) {
    if (button_ == IDC_COMPUTE) {
        Stop();
        if (dialog_.ItemText(IDC_CODE) != item.code) {
            return;  // the field holds another code now: this price is not for it
        }
        if (price == -1.0f) {
            page_.Tell("提取数据出错。");
            return;
        }
        model_.pending_data_date = data_date;
        dialog_.SetItemText(IDC_BALANCE, Format("%.2f", price));
        page_.Tell(Format("计算完毕.\r\n\r\n数据日期:%s,平衡价:%.2f.", data_date.c_str(),
                          static_cast<double>(price)));
        return;
    }
    dialog_.SetItemText(IDC_COMPUTE_PROGRESS, Format("%u/%u", static_cast<unsigned>(run_.done()),
                                                     static_cast<unsigned>(run_.total())));
    if (page_.StoreBalance(item, price, data_date) == WatchListEditor::StoreResult::kNotSaved) {
        Stop();  // the rest could not be stored either; stopped before the box, whose loop runs
        page_.TellNotSaved();
        return;
    }
    if (!run_.running()) {
        Stop();
    }
}

void BalanceButtons::Stop() {
    if (!running()) {
        return;
    }
    run_.Stop();
    dialog_.SetItemText(IDC_COMPUTE, "计算");
    dialog_.SetItemText(IDC_COMPUTE_ALL, "计");
    dialog_.SetItemText(IDC_COMPUTE_PROGRESS, "");
    dialog_.Item(IDC_COMPUTE).Enable(true);
    button_ = 0;
    EnableFor(page_.editing());
}

void BalanceButtons::EnableFor(bool editing) const {
    dialog_.Item(IDC_COMPUTE_ALL).Enable(!editing && button_ != IDC_COMPUTE);
}

}  // namespace tickra
