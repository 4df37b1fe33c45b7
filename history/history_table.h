// The daily-history pages of the two providers: how they are asked for, where their table is,
// and how single cells are read out of it.
#pragma once

#include <string>
#include <string_view>

#include "base/local_time.h"
#include "net/http.h"

namespace tickra {

// "SOHU" is the POST provider, "163" the GET provider.
inline constexpr char kPostProvider[] = "SOHU";
inline constexpr char kGetProvider[] = "163";

struct Date {
    int year, month, day;
};

// The 60-day window ending on the given local time: the start is the same moment 60 days before,
// counted on the calendar.
struct HistoryWindow {
    Date start, end;
    LocalTime start_moment;
};
HistoryWindow HistoryWindowEnding(const std::tm& now);

// The POST provider's form body, and the GET provider's object (no leading "/").
std::string PostProviderBody(std::string_view code, const HistoryWindow& window);
std::string GetProviderObject(std::string_view code, const HistoryWindow& window);

// The table of a provider's page: from the byte before its opening tag through its closing tag;
// empty when a marker is missing.
std::string CutPostProviderTable(std::string_view page, std::string_view code);
std::string CutGetProviderTable(std::string_view page, std::string_view code);

struct HistoryHosts {
    std::string post_host;
    std::string get_host;
};

// One request to a provider (its tag compared after upper-casing); empty text on any failure or
// for an unknown tag.
std::string FetchHistoryTable(std::string_view code, std::string_view provider,
                              const HttpFunction& http, const HistoryHosts& hosts,
                              const std::tm& now);

// A cell of a table, rows and columns counted from 1: for "SOHU" from the end of the table and
// the end of the row, for "163" from the start. Empty when there is no such cell or the tag is
// neither (compared exactly).
std::string GetHistoryCell(std::string_view table, int row, int column, std::string_view provider);

}  // namespace tickra
