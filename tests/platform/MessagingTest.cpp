#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/QueueWindow.h"
#include "platform/Thread.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowRegistry.h"

namespace platform {
namespace {

TEST(Thread, ExitCodeReadsStillActiveUntilTheProcedureReturns) {
    std::atomic<bool> release{false};
    Thread thread;
    ASSERT_TRUE(thread.Start([&]() -> DWORD {
        while (!release) std::this_thread::yield();
        return 7;
    }));
    EXPECT_NE(thread.Id(), 0u);
    EXPECT_EQ(thread.ExitCode(), kStillActive);
    EXPECT_FALSE(thread.Start([] { return DWORD{0}; }));  // one run at a time
    release = true;
    thread.Join();
    EXPECT_EQ(thread.ExitCode(), 7u);
}

TEST(ThreadMessages, PostedMessagesArriveInOrderAndLeftoversAreHandedBack) {
    std::atomic<bool> release{false};
    std::vector<Message> seen;
    std::vector<Message> leftovers;
    Thread thread;
    ASSERT_TRUE(thread.Start(
        [&]() -> DWORD {
            while (!release) std::this_thread::yield();
            for (int i = 0; i < 2; ++i) {
                if (auto msg = ThreadMessages::Peek()) seen.push_back(*msg);
            }
            return 0;
        },
        [&](const Message& msg) { leftovers.push_back(msg); }));
    for (UINT m = 1; m <= 4; ++m) EXPECT_TRUE(ThreadMessages::Post(thread.Id(), 2000 + m, m, -static_cast<LPARAM>(m)));
    release = true;
    thread.Join();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, 2001u);
    EXPECT_EQ(seen[1].wParam, 2u);
    ASSERT_EQ(leftovers.size(), 2u);
    EXPECT_EQ(leftovers[1].lParam, -4);
    EXPECT_FALSE(ThreadMessages::Post(thread.Id(), 2025, 0, 0));  // the thread is gone
}

TEST(ThreadMessages, PeekWithoutMessagesReturnsAtOnce) {
    EXPECT_FALSE(ThreadMessages::Peek().has_value());
    EXPECT_TRUE(ThreadMessages::Post(ThreadMessages::CurrentThreadId(), 5, 6, 7));
    auto msg = ThreadMessages::Peek();
    ASSERT_TRUE(msg.has_value());
    EXPECT_EQ(msg->lParam, 7);
}

TEST(WindowRegistry, MessagesToAWindowThatIsGoneAreRefused) {
    auto window = QueueWindow::Create();
    const HWND hwnd = window->Handle();
    EXPECT_TRUE(WindowRegistry::IsWindow(hwnd));
    EXPECT_TRUE(WindowRegistry::Post(hwnd, 2026, 0, 0));
    EXPECT_EQ(WindowRegistry::Send(hwnd, 2027, 4, 0), 0);
    EXPECT_EQ(window->Queue().TakeAll().size(), 2u);
    window->Close();
    EXPECT_FALSE(WindowRegistry::IsWindow(hwnd));
    EXPECT_FALSE(WindowRegistry::Post(hwnd, 2026, 0, 0));
    EXPECT_FALSE(WindowRegistry::Post(0, 2026, 0, 0));
    auto next = QueueWindow::Create();
    EXPECT_NE(next->Handle(), hwnd);  // handles are never reused
    next->Close();
}

}  // namespace
}  // namespace platform
