// The mailbox that hands work back to a window's thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "base/mailbox_win.h"
#include "res/messages.h"

namespace tickra {
namespace {

TEST(Mailbox, RunsTasksInOrderAndFreesWhatIsLeftWhenClosed) {
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Mailbox mailbox(window, kMailboxMessage);
    std::string ran;
    for (char task : std::string("abc")) {
        EXPECT_TRUE(mailbox.Post([&ran, task] { ran += task; }));
    }
    MSG message;
    int messages = 0;
    while (PeekMessageW(&message, window, kMailboxMessage, kMailboxMessage, PM_REMOVE)) {
        EXPECT_EQ(message.lParam, 0) << "the message carries nothing";
        ++messages;
        mailbox.RunPending();
    }
    EXPECT_EQ(ran, "abc");
    EXPECT_EQ(messages, 1);

    // What waits when the window goes is freed unrun, and nothing is taken afterwards.
    auto held = std::make_shared<int>(0);
    EXPECT_TRUE(mailbox.Post([held] { ++*held; }));
    mailbox.Close();
    EXPECT_EQ(held.use_count(), 1);
    EXPECT_FALSE(mailbox.Post([held] { ++*held; }));
    EXPECT_EQ(held.use_count(), 1);
    mailbox.RunPending();
    EXPECT_EQ(*held, 0);
    DestroyWindow(window);
}

}  // namespace
}  // namespace tickra
