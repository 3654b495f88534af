#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/window_handles.h"

namespace {

TEST(PostMessage, FailsHarmlesslyWithoutALiveWindow) {
    EXPECT_FALSE(PostMessageW(nullptr, WM_USER, 1, 0));
    auto queue = std::make_shared<MessageQueue>();
    const HWND window = CreateWindowHandle(queue);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(PostMessageW(window, WM_USER, 1, 0));
    DestroyWindowHandle(window);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PostMessageW(window, WM_USER, 2, 0));
    const HWND next = CreateWindowHandle(queue);
    EXPECT_NE(next, window) << "handles are never reused";
    QueuedItem item;
    ASSERT_TRUE(queue->Peek(&item));
    EXPECT_EQ(item.message.wParam, 1u);
    EXPECT_FALSE(queue->Peek(&item));
    DestroyWindowHandle(next);
}

TEST(PostMessage, KeepsEachPostersOrderAcrossThreads) {
    auto queue = std::make_shared<MessageQueue>();
    std::atomic<int> arrivals{0};
    queue->SetArrivalHandler([&] { ++arrivals; });
    const HWND window = CreateWindowHandle(queue);
    constexpr int kPerThread = 5000;
    std::vector<std::thread> posters;
    for (UINT id = 0; id < 4; ++id) {
        posters.emplace_back([=] {
            for (int i = 0; i < kPerThread; ++i)
                PostMessageW(window, WM_USER + id, static_cast<WPARAM>(i), 0);
        });
    }
    // The reader waits in Get while the posters run.
    std::vector<WPARAM> next(4, 0);
    for (int received = 0; received < 4 * kPerThread; ++received) {
        const MSG message = queue->Get().message;
        const UINT id = message.message - WM_USER;
        ASSERT_LT(id, 4u);
        ASSERT_EQ(message.wParam, next[id]++);
    }
    for (std::thread& poster : posters)
        poster.join();
    EXPECT_EQ(arrivals, 4 * kPerThread);
    DestroyWindowHandle(window);
}

}  // namespace
