// What the main dialog and its parts reach the outside world through: the network, the clocks,
// the time limits, message boxes and the hosts of the build. Tests replace them.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "base/local_time.h"
#include "history/history_table.h"
#include "net/http_client_win.h"
#include "ui/message_box.h"
#include "update/upgrade_dlg_win.h"

namespace tickra {

using SteadyTime = std::chrono::steady_clock::time_point;

// Exit waits no longer than this for the threads to end: a hung shell or host is let go.
inline constexpr std::chrono::milliseconds kExitBound{300};
// A cancelled upgrade dialog is freed this long after it was hidden, once its window has gone.
inline constexpr std::chrono::milliseconds kUpgradeReleaseDelay{2000};

struct DialogServices {
    AbortableHttpFunction http;  // run on a worker, never on the dialog's thread
    Clock clock;                 // local time: what is asked for, and when alerts happened
    // Elapsed time, for giving up transfers and bounding waits.
    std::function<SteadyTime()> steady_clock;
    std::chrono::milliseconds refresh_period{};  // the refresh timer
    // A transfer under way this long is given up: longer than its own bounds allow.
    std::chrono::steady_clock::duration give_up_after{};
    std::chrono::milliseconds exit_bound = kExitBound;
    std::chrono::milliseconds upgrade_release_delay = kUpgradeReleaseDelay;
    ui::MessageBoxFunction message_box;
    std::string quote_host;  // the classic quote feed's
    std::string sina_host, tencent_host, eastmoney_host;
    HistoryHosts history_hosts;
    std::string chart_host;
    std::string update_host;
    std::string help_url;
    // Opens an address in the user's browser; empty: on the shell thread, as the program does.
    std::function<void(const std::string& url)> open_url;
    UpgradeServices upgrade;
    // Where the start-with-Windows shortcut goes; empty: the user's Startup folder.
    std::wstring startup_folder;
};

// The network, the clocks and the hosts of the build.
DialogServices DefaultServices();

}  // namespace tickra
