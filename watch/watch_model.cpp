#include "watch/watch_model.h"

#include <algorithm>
#include <utility>

namespace tickra {

bool WatchModel::Swap(size_t a, size_t b) {
    if (a >= rows_.size() || b >= rows_.size()) {
        return false;
    }
    std::swap(rows_[a], rows_[b]);
    return true;
}

void WatchModel::RemoveRow(size_t index) {
    if (index < rows_.size()) {
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

std::optional<size_t> WatchModel::Find(uint64_t entry_serial) const {
    const auto row = std::find_if(rows_.begin(), rows_.end(), [entry_serial](const WatchRow& r) {
        return r.entry->serial == entry_serial;
    });
    if (row == rows_.end()) {
        return std::nullopt;
    }
    return static_cast<size_t>(row - rows_.begin());
}

const MinuteHistory* WatchModel::HistoryOf(uint64_t entry_serial) const {
    const std::optional<size_t> index = Find(entry_serial);
    return index ? &rows_[*index].entry->history : nullptr;
}

}  // namespace tickra
