// Frames crossing from the camera thread to the render thread.
#include "app/view/FrameExchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

using kelvara::FrameExchange;

TEST(FrameExchange, TheNewestFrameWinsAndATakenFrameStaysIntact)
{
    FrameExchange exchange;
    std::vector<uint8_t> a(4 * 4 * 4, 1), b(2 * 2 * 4, 2);
    ASSERT_TRUE(exchange.Put(4, 4, a.data()));
    ASSERT_TRUE(exchange.Put(2, 2, b.data()));
    const FrameExchange::Frame* taken = exchange.Take();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(exchange.Take(), nullptr);  // nothing new

    // Frames put after a Take never write into the taken one.
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(exchange.Put(4, 4, a.data()));
    EXPECT_EQ(taken->width, 2u);
    EXPECT_TRUE(std::all_of(taken->pixels.get(), taken->pixels.get() + 16, [](uint8_t v) { return v == 2; }));
}

TEST(FrameExchange, FramesAreNeverTornBetweenThreads)
{
    FrameExchange exchange;
    constexpr unsigned kSide = 64;
    std::atomic<bool> done{false};
    std::thread camera([&] {
        std::vector<uint8_t> frame(kSide * kSide * 4);
        for (int n = 1; n <= 2000; ++n) {
            std::fill(frame.begin(), frame.end(), static_cast<uint8_t>(n));
            std::memcpy(frame.data(), &n, sizeof(n));  // the frame number up front
            exchange.Put(kSide, kSide, frame.data());
        }
        done = true;
    });
    int last = 0, seen = 0;
    while (!done || seen == 0) {
        const FrameExchange::Frame* frame = exchange.Take();
        if (frame == nullptr)
            continue;
        int number = 0;
        std::memcpy(&number, frame->pixels.get(), sizeof(number));
        const uint8_t fill = static_cast<uint8_t>(number);
        const uint8_t* end = frame->pixels.get() + kSide * kSide * 4;
        ASSERT_TRUE(std::all_of(static_cast<const uint8_t*>(frame->pixels.get()) + sizeof(number), end,
            [fill](uint8_t v) { return v == fill; }));
        ASSERT_GT(number, last);  // each Take gives a newer frame
        last = number;
        ++seen;
    }
    camera.join();
    EXPECT_GT(seen, 0);
}
