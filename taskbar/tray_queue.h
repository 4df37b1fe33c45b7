// The calls the window thread asks of the shell's notification area and taskbar button, waiting
// for the thread that makes them: the shell may hang, and the window thread must not wait for it.
#pragma once

#include <deque>
#include <optional>
#include <utility>

namespace tickra {

enum class ShellCallKind { kIcon, kTip, kBalloon, kButton };

// Kept in the order asked, and none is dropped, with one exception: a tip that is still waiting
// is replaced by a newer one in its place, since only the newest can matter.
template <class Call>
class TrayQueue {
public:
    void Push(ShellCallKind kind, Call call) {
        if (kind == ShellCallKind::kTip) {
            for (auto& waiting : calls_) {
                if (waiting.first == ShellCallKind::kTip) {
                    waiting.second = std::move(call);
                    return;
                }
            }
        }
        calls_.emplace_back(kind, std::move(call));
    }
    std::optional<Call> Pop() {
        if (calls_.empty()) {
            return std::nullopt;
        }
        Call call = std::move(calls_.front().second);
        calls_.pop_front();
        return call;
    }
    bool empty() const { return calls_.empty(); }

private:
    std::deque<std::pair<ShellCallKind, Call>> calls_;
};

}  // namespace tickra
