#include <gtest/gtest.h>

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

}  // namespace
