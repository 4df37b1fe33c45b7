// History pages of any shape: cutting the table and reading cells from it must stay inside the
// text, and a cut table is always part of the page.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "history/balance_price.h"
#include "history/history_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    for (const char* provider : {tickra::kPostProvider, tickra::kGetProvider}) {
        const bool post = provider == tickra::kPostProvider;
        const std::string table = post ? tickra::CutPostProviderTable(page, "600000")
                                       : tickra::CutGetProviderTable(page, "600000");
        if (table.size() > size || (!table.empty() && page.find(table) == page.npos)) {
            __builtin_trap();
        }
        // The whole table as it is given, and the cut one, cell by cell.
        for (std::string_view text : {page, std::string_view(table)}) {
            for (int row = 0; row < 6; ++row) {
                for (int column = 0; column < 8; ++column) {
                    if (tickra::GetHistoryCell(text, row, column, provider).size() > text.size()) {
                        __builtin_trap();
                    }
                }
            }
        }
        std::string date;
        const tickra::HistoryFetch fetch = [&](std::string_view, std::string_view p) {
            return p == provider ? std::string(page) : std::string();
        };
        tickra::ComputeBalancePrice("600000", fetch, date);
    }
    return 0;
}
