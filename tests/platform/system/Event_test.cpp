#include "platform/system/Event.h"
#include "platform/system/Tick.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using kelvara::Event;

TEST(Event, AutoResetReleasesOneWaitAndClears)
{
    Event event(false, true);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, ManualResetStaysSetUntilReset)
{
    Event event(true, false);
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, TimedWaitTimesOutThenWakesOnSetFromAnotherThread)
{
    Event event;
    uint32_t start = kelvara::GetTickCount();
    EXPECT_FALSE(event.Wait(30));
    EXPECT_GE(static_cast<uint32_t>(kelvara::GetTickCount() - start), 25u);

    std::atomic<bool> woke{false};
    std::thread waiter([&] { woke = event.Wait(kelvara::kInfinite); });
    kelvara::SleepMs(10);
    event.Set();
    waiter.join();
    EXPECT_TRUE(woke);
}
