// The update page's notice, the announcement it carries and the upgrade dialog's texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/local_time.h"
#include "tickra/version.h"

namespace tickra {

inline constexpr char kProgramVersion[] = TICKRA_VERSION_TEXT;

// "blog/static/7008789200853043922656/?now=" and the time as "%H%M%S".
std::string UpdatePageObject(const LocalTime& now);

// What a notice of exactly seven fields gives. The upgrade fields stay empty when the version
// is the program's own.
struct UpdateNotice {
    std::string version;              // field 0
    std::string upgrade_address;      // field 1
    std::string upgrade_description;  // field 3
    std::string download_page;        // field 6
    std::string announcement;         // field 5
};

// The notice between the first two "[/]" of the page, split at "|"; nothing unless it has
// exactly seven fields.
std::optional<UpdateNotice> ParseUpdateNotice(std::string_view page);

// The announcement with "&lt;" and "&gt;" turned back into markup, in the panel's page.
std::string AnnouncementPage(std::string_view announcement);

// Every backslash followed by "n" becomes a line break.
std::string ExpandLineBreaks(std::string_view description);

// What the upgrade dialog shows when the renamer is missing, or is there but cannot be started:
// how to finish by hand.
std::string RenamerMissingText(std::string_view shown, std::string_view download_page);
std::string RenamerNotStartedText(std::string_view shown, std::string_view download_page);

// The announcement as plain text, for when no browser engine can show it: tags removed, the
// common entities and line-breaking tags turned into text.
std::string AnnouncementPlainText(std::string_view html);

}  // namespace tickra
