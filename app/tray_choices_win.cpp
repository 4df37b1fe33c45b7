#include "app/tray_choices_win.h"

#include <memory>
#include <utility>

#include "base/code_page_win.h"
#include "res/resource.h"
#include "watch/profile_file_win.h"
#include "watch/profile_text.h"

namespace tickra {

namespace {

// The steps of the step alerts the menu offers, in the order of its entries.
constexpr int kMenuSteps[] = {0, 2, 3, 5};

void Check(HMENU menu, UINT id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | static_cast<UINT>(checked ? MF_CHECKED : MF_UNCHECKED));
}

bool Holds(HMENU menu, UINT id) {
    return GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

}  // namespace

TrayChoices::TrayChoices(const std::string& settings_path, std::wstring startup_folder, Tell tell)
    : tell_(std::move(tell)),
      settings_(
          ProfileText(PrivateProfileFile(settings_path).Read().text),
          std::make_unique<PrivateProfileFile>(settings_path),
          [this, settings_path] {
              tell_("tickra.ini 无法保存，这个选择只在这次运行中有效。\r\n\r\n" + settings_path);
          }),
      start_with_windows_(std::move(startup_folder)) {}

void TrayChoices::Start(Ticker& ticker, HWND window, std::wstring arguments,
                        const std::function<void(const std::string& line)>& tell_line) {
    ticker_ = &ticker;
    ticker.SetMoveSettings(settings().moves);
    ticker.SetLineStyle(settings().style);
    arguments_ = std::move(arguments);
    hide_key_.Register(window, settings().hide_key, tell_line);
}

bool TrayChoices::OnCommand(int id) {
    if (ticker_ == nullptr) {
        return false;
    }
    Ticker& ticker = *ticker_;
    RefreshCycle::MoveSettings moves = ticker.move_settings();
    LineStyle style = settings().style;
    switch (id) {
        case ID_TRAY_TASKBARS_PRIMARY:
        case ID_TRAY_TASKBARS_SECONDARY:
        case ID_TRAY_TASKBARS_ALL: {
            const auto choice = static_cast<TaskbarChoice>(id - ID_TRAY_TASKBARS_PRIMARY);
            ticker.SetTaskbarChoice(choice);
            settings_.SetTaskbars(choice);
            return true;
        }
        case ID_TRAY_SOURCE_CLASSIC:
        case ID_TRAY_SOURCE_SINA:
        case ID_TRAY_SOURCE_TENCENT:
        case ID_TRAY_SOURCE_EASTMONEY:
            ticker.ChooseFeed(static_cast<FeedId>(id - ID_TRAY_SOURCE_CLASSIC));
            settings_.SetSources(ticker.feeds().order());
            return true;
        case ID_TRAY_LIMIT_ALERTS:
        case ID_TRAY_STEP_OFF:
        case ID_TRAY_STEP_2:
        case ID_TRAY_STEP_3:
        case ID_TRAY_STEP_5:
            if (id == ID_TRAY_LIMIT_ALERTS) {
                moves.limits = !moves.limits;
            } else {
                moves.step = kMenuSteps[id - ID_TRAY_STEP_OFF];
            }
            ticker.SetMoveSettings(moves);
            settings_.SetMoves(moves);
            return true;
        case ID_TRAY_SHOW_PNL:
        case ID_TRAY_MONO:
        case ID_TRAY_HIDE_AMOUNTS: {
            bool& toggled = id == ID_TRAY_SHOW_PNL ? style.show_pnl
                            : id == ID_TRAY_MONO   ? style.mono
                                                   : style.hide_amounts;
            toggled = !toggled;
            ticker.SetLineStyle(style);
            settings_.SetStyle(style);
            return true;
        }
        case ID_TRAY_START_WITH_WINDOWS:
            if (const std::string failure = start_with_windows_.Toggle(arguments_);
                !failure.empty()) {
                tell_(failure);
            }
            return true;
        default:
            return false;
    }
}

void TrayChoices::UpdateMenu(HMENU menu) {
    start_with_windows_.CheckMenuEntry(menu, ID_TRAY_START_WITH_WINDOWS);
    if (ticker_ == nullptr) {
        return;
    }
    hide_key_.UpdateMenuEntry(menu, ID_TRAY_HIDE_TICKERS, ticker_->hidden());
    if (Holds(menu, ID_TRAY_SOURCE_CLASSIC)) {
        const FeedRouter& feeds = ticker_->feeds();
        for (FeedId feed : kDefaultFeedOrder) {
            const UINT id = ID_TRAY_SOURCE_CLASSIC + static_cast<UINT>(feed);
            const bool other_in_use = feed == feeds.in_use() && feed != feeds.first();
            ModifyMenuW(
                menu, id, MF_BYCOMMAND | MF_STRING, id,
                Widen(std::string(FeedName(feed)) + (other_in_use ? "（使用中）" : "")).c_str());
        }
        CheckMenuRadioItem(menu, ID_TRAY_SOURCE_CLASSIC, ID_TRAY_SOURCE_EASTMONEY,
                           ID_TRAY_SOURCE_CLASSIC + static_cast<UINT>(feeds.first()), MF_BYCOMMAND);
    }
    const RefreshCycle::MoveSettings& moves = ticker_->move_settings();
    Check(menu, ID_TRAY_LIMIT_ALERTS, moves.limits);
    // A step the file holds that the menu does not offer checks none.
    for (UINT id = ID_TRAY_STEP_OFF; id <= ID_TRAY_STEP_5; ++id) {
        Check(menu, id, kMenuSteps[id - ID_TRAY_STEP_OFF] == moves.step);
    }
    const LineStyle& style = settings().style;
    Check(menu, ID_TRAY_SHOW_PNL, style.show_pnl);
    Check(menu, ID_TRAY_MONO, style.mono);
    Check(menu, ID_TRAY_HIDE_AMOUNTS, style.hide_amounts);
    const TickerHosts* hosts = ticker_->hosts();
    if (hosts == nullptr || !Holds(menu, ID_TRAY_TASKBARS_PRIMARY)) {
        return;
    }
    CheckMenuRadioItem(menu, ID_TRAY_TASKBARS_PRIMARY, ID_TRAY_TASKBARS_ALL,
                       ID_TRAY_TASKBARS_PRIMARY + static_cast<UINT>(hosts->choice()), MF_BYCOMMAND);
    // Without a secondary taskbar these show the ticker on the primary: the grey says so.
    const UINT state = SecondaryTaskbars().empty() ? MF_GRAYED : MF_ENABLED;
    EnableMenuItem(menu, ID_TRAY_TASKBARS_SECONDARY, MF_BYCOMMAND | state);
    EnableMenuItem(menu, ID_TRAY_TASKBARS_ALL, MF_BYCOMMAND | state);
}

}  // namespace tickra
