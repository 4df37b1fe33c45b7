#include "app/dialog_services_win.h"

#include "net/transfer_limits.h"
#include "tickra/build_config.h"

namespace tickra {

DialogServices DefaultServices() {
    DialogServices services;
    services.http = [](std::string_view body, std::string_view verb, std::string_view host,
                       std::string_view object, std::string_view headers, TransferKind kind,
                       TransferControl& control) {
        return HttpRequest(body, verb, host, object, LimitsFor(kind), &control, headers);
    };
    services.clock = LocalNow;
    services.steady_clock = [] { return std::chrono::steady_clock::now(); };
    services.refresh_period = std::chrono::milliseconds(build::kRefreshPeriodMs);
    services.give_up_after = kGiveUpAfter;
    services.exit_bound = kExitBound;
    services.upgrade_release_delay = kUpgradeReleaseDelay;
    services.message_box = ui::SystemMessageBox();
    services.quote_host = build::kQuoteHost;
    services.sina_host = build::kSinaHost;
    services.tencent_host = build::kTencentHost;
    services.eastmoney_host = build::kEastmoneyHost;
    services.history_hosts = {build::kHistoryPostHost, build::kHistoryGetHost};
    services.chart_host = build::kChartHost;
    services.update_host = build::kUpdateHost;
    services.help_url = build::kHelpUrl;
    services.upgrade = DefaultUpgradeServices();
    return services;
}

}  // namespace tickra
