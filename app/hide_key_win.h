// The hide key: read from tickra.ini, held for the main dialog's window while it lives, and the
// tray's entry that says whether it is in force.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/hot_key.h"

namespace tickra {

class HideKey {
public:
    HideKey() = default;
    HideKey(const HideKey&) = delete;
    HideKey& operator=(const HideKey&) = delete;
    ~HideKey() { Unregister(); }

    // Registers the key that value ([Tickra] HideKey) names, or the default when it is empty or
    // names none, for window, whose WM_HOTKEY then carries kId. A value that is no key, and a key
    // another program holds, are each told as one message line.
    void Register(HWND window, std::string_view value,
                  const std::function<void(const std::string& line)>& tell);
    void Unregister();

    static constexpr int kId = 1;
    const HotKey& key() const { return key_; }
    bool taken() const { return taken_; }
    // Checked while the tickers are hidden; its text says when the key is not in force.
    void UpdateMenuEntry(HMENU menu, UINT id, bool hidden) const;

private:
    HWND window_ = nullptr;  // while the key is registered
    HotKey key_ = kDefaultHideKey;
    bool taken_ = false;
};

}  // namespace tickra
