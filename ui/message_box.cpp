#include "ui/message_box.h"

#include "ui/window.h"

namespace ui {

MessageBoxFunction SystemMessageBox() {
    return [](HWND owner, std::string_view text, std::string_view caption, UINT type) {
        return ShowMessageBox(owner, text, caption, type);
    };
}

}  // namespace ui
