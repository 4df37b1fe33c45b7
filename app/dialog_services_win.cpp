#include "app/dialog_services_win.h"

#include "net/transfer_limits.h"
#include "tickra/build_config.h"

namespace tickra {

DialogServices DefaultServices() {
    return {[](std::string_view body, std::string_view verb, std::string_view host,
               std::string_view object, std::string_view headers, TransferKind kind,
               TransferControl& control) {
                return HttpRequest(body, verb, host, object, LimitsFor(kind), &control, headers);
            },
            LocalNow,
            [] { return std::chrono::steady_clock::now(); },
            std::chrono::milliseconds(build::kRefreshPeriodMs),
            kGiveUpAfter,
            std::chrono::milliseconds(300),
            std::chrono::milliseconds(2000),
            ui::SystemMessageBox(),
            build::kQuoteHost,
            build::kSinaHost,
            build::kTencentHost,
            build::kEastmoneyHost,
            {build::kHistoryPostHost, build::kHistoryGetHost},
            build::kChartHost,
            build::kUpdateHost,
            build::kHelpUrl,
            nullptr,
            DefaultUpgradeServices(),
            {}};
}

}  // namespace tickra
