#include "history/history_table.h"

#include "base/mbcs.h"
#include "base/text_util.h"

namespace tickra {

namespace {

constexpr auto npos = std::string_view::npos;

Date DateOf(const std::tm& t) {
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday};
}

// Keeps the page from the byte before the table tag through the first end tag.
std::string CutFrom(std::string_view page, size_t table_tag, std::string_view end_tag) {
    const std::string_view rest = page.substr(table_tag - 1);
    const size_t end = rest.find(end_tag);
    if (end == npos) {
        return {};
    }
    return std::string(rest.substr(0, end + end_tag.size()));
}

std::string RemoveAll(std::string text, std::string_view what) {
    return ReplaceAll(std::move(text), what, "");
}

// Takes count steps to the tag; false when a step finds none.
template <class Step>
bool StepOver(Step& step, int count, std::string_view tag) {
    for (int i = 0; i < count; ++i) {
        if (!step(tag)) {
            return false;
        }
    }
    return true;
}

std::string PostProviderCell(std::string_view table, int row, int column) {
    size_t pos = table.size();
    auto back = [&](std::string_view tag) {
        pos = pos == 0 ? npos : table.rfind(tag, pos - 1);
        return pos != npos;
    };
    if (!StepOver(back, row, "</tr") || !StepOver(back, column, "</td")) {
        return {};
    }
    const size_t cell_end = pos;
    const size_t open = cell_end == 0 ? npos : table.rfind("<td", cell_end - 1);
    const size_t start = open == npos ? npos : table.find('>', open);
    if (start == npos || start >= cell_end) {
        return {};
    }
    std::string text(table.substr(start + 1, cell_end - start - 1));
    return RemoveAll(RemoveAll(RemoveAll(std::move(text), "<b>"), "</b>"), ",");
}

std::string GetProviderCell(std::string_view table, int row, int column) {
    size_t pos = 0;
    auto next = [&](std::string_view tag) {
        pos = table.find(tag, pos);
        if (pos == npos) {
            return false;
        }
        ++pos;  // the next search starts after this one
        return true;
    };
    if (!StepOver(next, row, "<tr") || !StepOver(next, column, "<td")) {
        return {};
    }
    const size_t open = pos - 1;
    const size_t close = table.find("</td>", open);
    const size_t start = open + 4;  // just after an opening tag without attributes
    if (close == npos || start > close) {
        return {};
    }
    return RemoveAll(std::string(table.substr(start, close - start)), ",");
}

}  // namespace

HistoryWindow HistoryWindowEnding(const std::tm& now) {
    std::tm start = now;
    start.tm_mday -= 60;
    start.tm_isdst = -1;
    std::mktime(&start);  // normalises across month and year boundaries
    return {DateOf(start), DateOf(now), start};
}

std::string PostProviderBody(std::string_view code, const HistoryWindow& w) {
    const std::string c(code);
    return Format(
        "code=%s&submit=%%CC%%E1%%BD%%BB&start_year=%d&start_month=%02d&start_day=%02d"
        "&end_year=%d&end_month=%02d&end_day=%02d&ss=d",
        c.c_str(), w.start.year, w.start.month, w.start.day, w.end.year, w.end.month, w.end.day);
}

std::string GetProviderObject(std::string_view code, const HistoryWindow& w) {
    const std::string c(code);
    const std::string moment = FormatTime(w.start_moment, "%Y%m%d%H%M%S");
    return Format("corp/1107/start=%d%02d,end=%d%02d,code=%s,now=%s.html", w.start.year,
                  w.start.month, w.end.year, w.end.month, c.c_str(), moment.c_str());
}

std::string CutPostProviderTable(std::string_view page, std::string_view code) {
    const size_t at_code = code.empty() ? npos : page.find(code);
    const size_t form = at_code == npos ? npos : page.find("name=ss", at_code + 1);
    const size_t table = form == npos ? npos : page.find("<ta", form + 1);
    return table == npos ? std::string() : CutFrom(page, table, "</TABLE>");
}

std::string CutGetProviderTable(std::string_view page, std::string_view code) {
    const size_t at_code = code.empty() ? npos : page.find(code);
    const size_t first = at_code == npos ? npos : page.find("<ta", at_code + 1);
    const size_t second = first == npos ? npos : page.find("<ta", first + 1);
    return second == npos ? std::string() : CutFrom(page, second, "</table>");
}

std::string FetchHistoryTable(std::string_view code, std::string_view provider,
                              const HttpFunction& http, const HistoryHosts& hosts,
                              const std::tm& now) {
    const std::string tag = UpperCaseMbcs(provider);
    const HistoryWindow window = HistoryWindowEnding(now);
    if (tag == kPostProvider) {
        const std::string upper = UpperCaseMbcs(code);
        return CutPostProviderTable(
            http(PostProviderBody(upper, window), "POST", hosts.post_host, "/q/hp.php").body,
            upper);
    }
    if (tag == kGetProvider) {
        return CutGetProviderTable(
            http("", "GET", hosts.get_host, GetProviderObject(code, window)).body, code);
    }
    return {};
}

std::string GetHistoryCell(std::string_view table, int row, int column, std::string_view provider) {
    if (row < 1 || column < 1) {
        return {};
    }
    if (provider == kPostProvider) {
        return PostProviderCell(table, row, column);
    }
    if (provider == kGetProvider) {
        return GetProviderCell(table, row, column);
    }
    return {};
}

}  // namespace tickra
