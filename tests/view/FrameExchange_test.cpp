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

// Buffers handed over without a copy while the size changes: each frame
// taken is whole (every pixel holds its own frame number and size), newer
// than the one before, and once a frame of the new size was taken no frame
// of the old size comes again.
TEST(FrameExchange, HandedOverFramesAreWholeAndNeverStaleAcrossResizes)
{
    FrameExchange exchange;
    constexpr int kFrames = 3000;
    std::atomic<bool> done{false};
    auto sizeOf = [](int n) { return n <= kFrames / 2 ? 64u : 48u; };
    std::thread camera([&] {
        for (int n = 1; n <= kFrames; ++n) {
            const unsigned side = sizeOf(n);
            std::unique_ptr<FrameExchange::Frame> frame = exchange.Acquire(side, side);
            ASSERT_NE(frame, nullptr);
            ASSERT_GE(frame->capacity, side * side * 4u);
            uint32_t* words = reinterpret_cast<uint32_t*>(frame->pixels.get());
            std::fill(words, words + side * side, static_cast<uint32_t>(n) << 8 | side);
            if (n % 97 == 0)
                exchange.Discard(std::move(frame));  // a frame the decoder refused
            else
                exchange.Publish(std::move(frame));
        }
        done = true;
    });
    int last = 0;
    bool newSizeSeen = false;
    unsigned taken = 0;
    while (!done || taken == 0) {
        const FrameExchange::Frame* frame = exchange.Take();
        if (frame == nullptr)
            continue;
        const uint32_t* words = reinterpret_cast<const uint32_t*>(frame->pixels.get());
        const uint32_t first = words[0];
        const int number = static_cast<int>(first >> 8);
        ASSERT_EQ(first & 0xFFu, frame->width);
        ASSERT_EQ(frame->width, frame->height);
        ASSERT_NE(number % 97, 0);
        ASSERT_TRUE(std::all_of(
            words, words + frame->width * frame->height, [first](uint32_t v) { return v == first; }));
        ASSERT_GT(number, last);
        ASSERT_EQ(frame->width, sizeOf(number));
        if (newSizeSeen) {
            ASSERT_EQ(frame->width, 48u);
        }
        newSizeSeen = newSizeSeen || frame->width == 48u;
        last = number;
        ++taken;
    }
    camera.join();
    const FrameExchange::Frame* newest = exchange.Take();
    if (newest)
        last = static_cast<int>(reinterpret_cast<const uint32_t*>(newest->pixels.get())[0] >> 8);
    EXPECT_EQ(last, kFrames);

    std::vector<uint8_t> copy;
    unsigned w = 0, h = 0;
    ASSERT_TRUE(exchange.CopyNewest(&copy, &w, &h));
    EXPECT_EQ(w, 48u);
    EXPECT_EQ(copy.size(), 48u * 48u * 4u);
}
