// code.ini and tickra.ini as any bytes, read in one pass, then asked for their lists and values
// into buffers of every size the input names: nothing may be written or read past a buffer. The
// rows' holdings and aliases then make lines and cards, which stay within their bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/tickra_settings.h"
#include "watch/profile_text.h"
#include "watch/quote_card.h"
#include "watch/ticker_line.h"
#include "watch/watch_list_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes choose a buffer size, the rest is the file.
    const size_t buffer_size = 2 + (data[0] | data[1] << 8) % 1024;
    tickra::ProfileText text(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));
    std::vector<char> buffer(buffer_size);
    if (text.GetSectionNames(buffer.data(), buffer.size()) >= buffer_size) {
        __builtin_trap();
    }
    for (const std::string& section : tickra::ParseNameList(buffer.data(), buffer.size())) {
        std::vector<char> keys(buffer_size);
        text.GetKeyNames(section, keys.data(), keys.size());
        for (const std::string& key : tickra::ParseNameList(keys.data(), keys.size())) {
            std::vector<char> value(buffer_size);
            text.GetString(section, key, value.data(), value.size());
        }
    }
    tickra::WatchList rows = tickra::LoadWatchList(text);
    for (tickra::WatchRow& row : rows) {
        // The row's own texts stand in for a quote's prices.
        row.entry->facts.last_text = row.cost;
        row.entry->facts.previous_close_text = row.shares;
        row.entry->facts.time = "10:00:00";
        const std::string line = tickra::GoodLineOf(row, {true, true, false});
        std::vector<tickra::CardLine> lines;
        tickra::AddPositionLines(lines, row, rows, false);
        if (line.size() > tickra::TickerState::kMaxTextBytes) {
            __builtin_trap();
        }
    }
    tickra::TickraSettings settings(std::make_unique<tickra::ProfileText>(text), nullptr);
    return 0;
}
