#include "update/update_notice.h"

#include <vector>

#include "base/mbcs.h"
#include "base/text_util.h"

namespace tickra {

namespace {
constexpr std::string_view kMarker = "[/]";
}

std::string UpdatePageObject(const LocalTime& now) {
    return "blog/static/7008789200853043922656/?now=" + FormatTime(now, "%H%M%S");
}

std::optional<UpdateNotice> ParseUpdateNotice(std::string_view page) {
    const size_t first = page.find(kMarker);
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t start = first + kMarker.size();
    const size_t second = page.find(kMarker, start);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    std::vector<std::string> fields;
    Split(page.substr(start, second - start), '|', fields);
    if (fields.size() != 7) {
        return std::nullopt;
    }
    UpdateNotice notice;
    if (fields[0] != kProgramVersion) {  // any difference counts: versions are never ordered
        notice.version = fields[0];
        notice.upgrade_address = fields[1];
        notice.upgrade_description = fields[3];
        notice.download_page = fields[6];
    }
    notice.announcement = fields[5];
    return notice;
}

std::string AnnouncementPage(std::string_view announcement) {
    const std::string markup =
        ReplaceAll(ReplaceAll(std::string(announcement), "&lt;", "<"), "&gt;", ">");
    return "<html><head><meta http-equiv='Content-Type' content='text/html; charset=gb2312'>"
           "<style type='text/css'><!--body {margin-left: 0px;\tmargin-top: 0px;}--></style>"
           "</head><body>" +
           markup + "</body></html>";
}

std::string ExpandLineBreaks(std::string_view description) {
    return ReplaceAll(std::string(description), "\\n", "\r\n");
}

namespace {

std::string ManualRenameText(std::string_view shown, std::string_view why,
                             std::string_view download_page) {
    return std::string(shown) + "\r\n\r\n***************************\r\n\r\n" + std::string(why) +
           "\r\n\r\n请自行将目录下的Tickra.exe删除，然后再将Tickra.upg更名为Tickra."
           "exe。\r\n\r\n或到" +
           std::string(download_page) + "重新下载。";
}

}  // namespace

std::string RenamerMissingText(std::string_view shown, std::string_view download_page) {
    return ManualRenameText(shown, "找不到ReName.exe更名程序。", download_page);
}

std::string RenamerNotStartedText(std::string_view shown, std::string_view download_page) {
    return ManualRenameText(shown, "ReName.exe更名程序无法启动，程序没有重新启动。", download_page);
}

std::string AnnouncementPlainText(std::string_view html) {
    std::string text;
    bool in_tag = false;
    std::string tag;
    for (size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (in_tag) {
            if (c == '>') {
                in_tag = false;
                const std::string name = UpperCaseMbcs(tag.substr(0, tag.find(' ')));
                if (name == "BR" || name == "BR/" || name == "/P" || name == "/DIV" ||
                    name == "/LI" || name == "/TR") {
                    text += "\r\n";
                }
            } else {
                tag += c;
            }
            continue;
        }
        if (c == '<') {
            in_tag = true;
            tag.clear();
            continue;
        }
        text += c;
        if (CharWidth(html, i) == 2) {
            text += html[++i];
        }
    }
    for (auto [entity, plain] :
         {std::pair{"&nbsp;", " "}, std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"},
          std::pair{"&quot;", "\""}, std::pair{"&amp;", "&"}}) {
        text = ReplaceAll(std::move(text), entity, plain);
    }
    return text;
}

}  // namespace tickra
