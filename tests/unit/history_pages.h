// History pages in each provider's layout, for the tests and the benchmark.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tickra::testing {

// A POST-provider page: the code, the form field "ss", then a table of rows oldest first, each
// date (bold), open, high, low, close, volume, amount. closes: newest first.
inline std::string PostProviderPage(const std::string& code, const std::vector<std::string>& closes,
                                    const std::string& newest_date = "2008-07-08") {
    std::string page =
        "<html><head><title>" + code +
        " 历史行情</title></head><body>\n<form action=hp.php>"
        "<input type=hidden name=code value=" +
        code +
        "><select name=ss><option value=d>"
        "</select></form>\n<table width=100% border=1><tr><td>日期</td><td>开盘</td><td>最高</td>"
        "<td>最低</td><td>收盘</td><td>成交量</td><td>成交金额</td></tr>\n";
    for (size_t i = closes.size(); i-- > 0;) {
        const std::string date = i == 0 ? newest_date : "2008-06-" + std::to_string(10 + i % 20);
        page += "<tr><td><b>" + date + "</b></td><td>10.10</td><td>10.50</td><td>9.90</td><td>" +
                closes[i] + "</td><td>1,234,567</td><td>12,345</td></tr>\n";
    }
    return page + "</TABLE>\n<p>end</p></body></html>";
}

// A GET-provider page: the code, a first table, then the data table with two heading rows and
// rows newest first, each date, open, close, high, low.
inline std::string GetProviderPage(const std::string& code, const std::vector<std::string>& closes,
                                   const std::string& newest_date = "2008-07-08") {
    std::string page =
        "<html><body><h1>" + code +
        "</h1><table class=nav><tr><td>导航</td></tr></table>\n"
        "<table class=data><tr><th colspan=5>历史交易</th></tr>"
        "<tr><th>日期</th><th>开盘</th><th>收盘</th><th>最高</th><th>最低</th></tr>\n";
    for (size_t i = 0; i < closes.size(); ++i) {
        const std::string date = i == 0 ? newest_date : "2008-06-" + std::to_string(10 + i % 20);
        page += "<tr><td>" + date + "</td><td>10.10</td><td>" + closes[i] +
                "</td><td>10.50</td><td>9.90</td></tr>\n";
    }
    return page + "</table></body></html>";
}

// count closes, newest first, from start down by step.
inline std::vector<std::string> Closes(int count, double start = 20.0, double step = 0.1) {
    std::vector<std::string> closes;
    for (int i = 0; i < count; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", start - step * i);
        closes.push_back(text);
    }
    return closes;
}

}  // namespace tickra::testing
