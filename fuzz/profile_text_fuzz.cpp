// code.ini and tickra.ini as any bytes, read in one pass: every section is found again by its name
// in other letters' case, the rows keep to their rules, and nothing is read past the text. The
// rows' holdings and aliases then make lines and cards, which stay within their bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "app/tickra_settings.h"
#include "base/mbcs.h"
#include "watch/profile_text.h"
#include "watch/quote_card.h"
#include "watch/ticker_line.h"
#include "watch/watch_list_loader.h"

namespace {

class NoWrites final : public tickra::ProfileWriter {
public:
    bool WriteString(const std::string&, const char*, const char*) override { return false; }
};

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (size_t i = 0; i < lower.size(); i += tickra::CharWidth(lower, i)) {
        if (lower[i] >= 'A' && lower[i] <= 'Z') {
            lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
        }
    }
    return lower;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes choose a section whose keys are looked up in other letters' case, the
    // rest is the file.
    const size_t chosen = data[0] | data[1] << 8;
    const tickra::ProfileText text(
        std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));
    const auto& sections = text.sections();
    for (const tickra::ProfileText::Section& section : sections) {
        const tickra::ProfileText::Section* found = text.Find(LowerCase(section.name));
        if (found == nullptr || found > &section ||
            tickra::UpperCaseMbcs(found->name) != tickra::UpperCaseMbcs(section.name)) {
            __builtin_trap();
        }
    }
    if (!sections.empty()) {
        const tickra::ProfileText::Section& section = sections[chosen % sections.size()];
        for (std::string_view key : tickra::ProfileText::KeyNames(section)) {
            if (text.Value(section.name, LowerCase(key)) != text.Value(section.name, key)) {
                __builtin_trap();
            }
        }
    }
    tickra::WatchList rows = tickra::LoadWatchList(text);
    std::unordered_set<std::string> codes;
    for (tickra::WatchRow& row : rows) {
        if (row.code.empty() || row.code.size() > tickra::kMaxCodeBytes ||
            !codes.insert(tickra::UpperCaseMbcs(row.code)).second ||
            row.break_below.size() >= tickra::kValueBufferSize ||
            row.alias.size() >= tickra::kValueBufferSize) {
            __builtin_trap();
        }
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
    const tickra::TickraSettings settings(text, std::make_unique<NoWrites>(), nullptr);
    if (settings.values().hide_key.size() > 127) {
        __builtin_trap();
    }
    return 0;
}
