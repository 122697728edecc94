// One running copy per user: the lock file, its place, and what happens
// when the holder goes away; and the device monitor's start and stop.
#include "platform/system/DeviceMonitor.h"
#include "platform/system/InstanceLock.h"
#include "platform/system/Utf8.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using kelvara::CInstanceLock;

class InstanceLockTest : public testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kelvara-runtime-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        m_old = old ? old : "";
        m_hadOld = old != nullptr;
        setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_hadOld)
            setenv("XDG_RUNTIME_DIR", m_old.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        std::filesystem::remove_all(m_dir);
    }
    std::string m_dir;
    std::string m_old;
    bool m_hadOld = false;
};

TEST_F(InstanceLockTest, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    CInstanceLock first;
    ASSERT_EQ(first.Acquire("{test-instance}"), CInstanceLock::kAcquired);
    EXPECT_EQ(CInstanceLock::LockPath("{test-instance}"), m_dir + "/{test-instance}.lock");
    CInstanceLock second;
    EXPECT_EQ(second.Acquire("{test-instance}"), CInstanceLock::kAlreadyRunning);
    // Another name is another program.
    CInstanceLock other;
    EXPECT_EQ(other.Acquire("{other-instance}"), CInstanceLock::kAcquired);
    first.Release();
    EXPECT_EQ(second.Acquire("{test-instance}"), CInstanceLock::kAcquired);
}

TEST_F(InstanceLockTest, AProcessThatDiesReleasesTheLock)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CInstanceLock lock;
        char ok = lock.Acquire("{test-instance}") == CInstanceLock::kAcquired ? 1 : 0;
        (void)!write(ready[1], &ok, 1);
        pause();  // killed below, without releasing anything
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    CInstanceLock mine;
    EXPECT_EQ(mine.Acquire("{test-instance}"), CInstanceLock::kAlreadyRunning);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(mine.Acquire("{test-instance}"), CInstanceLock::kAcquired);
    close(ready[0]);
    close(ready[1]);
}

TEST_F(InstanceLockTest, WithoutARuntimeFolderTheNameCarriesTheUser)
{
    unsetenv("XDG_RUNTIME_DIR");
    const std::string path = CInstanceLock::LockPath("{x}");
    EXPECT_NE(path.find("{x}-" + std::to_string(getuid()) + ".lock"), std::string::npos) << path;
    // A runtime folder that does not exist is not used.
    setenv("XDG_RUNTIME_DIR", (m_dir + "/missing").c_str(), 1);
    EXPECT_EQ(CInstanceLock::LockPath("{x}").find(m_dir + "/missing"), std::string::npos);
}

TEST(DeviceMonitor, StartsAndStopsPromptly)
{
    kelvara::CDeviceMonitor monitor([](bool) {});
    if (!monitor.Start())
        GTEST_SKIP() << "udev cannot be watched here";
    EXPECT_TRUE(monitor.IsRunning());
    auto start = std::chrono::steady_clock::now();
    monitor.Stop();
    EXPECT_FALSE(monitor.IsRunning());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    // Starting again works, and the destructor stops it.
    EXPECT_TRUE(monitor.Start());
}

TEST(Utf8ToWide, DecodesAndRepairs)
{
    EXPECT_EQ(kelvara::Utf8ToWide("a\xC3\xA9\xE6\xB5\x8B\xF0\x9F\x94\xAC"),
        std::wstring(L"a\u00E9\u6D4B\U0001F52C"));
    EXPECT_EQ(kelvara::Utf8ToWide("x\xFFy"), std::wstring(L"x\uFFFDy"));
    EXPECT_EQ(kelvara::Utf8ToWide("\xE6\xB5"), std::wstring(L"\uFFFD\uFFFD"));
}

}  // namespace
