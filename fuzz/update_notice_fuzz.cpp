// Update pages and downloaded files of any shape: the notice, the announcement texts and the
// executable check must stay inside their input and never crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "update/executable_check.h"
#include "update/link_policy.h"
#include "update/update_notice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    if (const auto notice = tickra::ParseUpdateNotice(page)) {
        if (notice->announcement.size() > size || notice->upgrade_address.size() > size) {
            __builtin_trap();
        }
        tickra::AnnouncementPage(notice->announcement);
        tickra::ExpandLineBreaks(notice->upgrade_description);
    }
    if (tickra::AnnouncementPlainText(page).size() > size) {
        __builtin_trap();  // removing markup never adds text
    }
    tickra::DecidePanelNavigation(std::wstring(page.begin(), page.end()));
    tickra::IsWindowsExecutable(page);
    return 0;
}
