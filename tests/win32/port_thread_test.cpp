#include "port/win32_serial_port.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/win32_scoped.h"
#include "tests/win32/port_calls.h"

namespace zelt::win32 {
namespace {

TEST(PortThreadTest, JobsRunInOrderElsewhereAndTheirOutcomesComeBackHereThroughTheMessageLoop) {
    PortThread thread;
    const DWORD here = GetCurrentThreadId();
    std::vector<int> ran;  // touched by the jobs one at a time, read here once they have all ended
    std::vector<int> told;
    std::vector<DWORD> jobThreads(3);
    std::vector<DWORD> toldThreads;
    for (int job = 0; job < 3; ++job) {
        thread.run(
            [&, job] {
                ran.push_back(job);
                jobThreads[job] = GetCurrentThreadId();
            },
            [&, job] {
                told.push_back(job);
                toldThreads.push_back(GetCurrentThreadId());
            });
    }
    testing::runMessagesUntil([&] { return told.size() == 3; });
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(told, (std::vector<int>{0, 1, 2}));
    for (const DWORD id : jobThreads) EXPECT_NE(id, here);
    for (const DWORD id : toldThreads) EXPECT_EQ(id, here);
}

// A driver that holds a job: the wait gives up in time, the jobs behind it wait their turn, and
// the outcome still comes once the driver lets go.
TEST(PortThreadTest, AStuckJobIsWaitedForOnlyAsLongAsAskedAndTheJobsBehindItFollow) {
    const ScopedHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE releaseEvent = release.get();
    bool firstTold = false;
    bool secondTold = false;
    {
        PortThread thread;
        const auto stuck = thread.run([releaseEvent] { WaitForSingleObject(releaseEvent, INFINITE); },
                                      [&] { firstTold = true; });
        const auto behind = thread.run([] {}, [&] { secondTold = true; });
        EXPECT_FALSE(thread.waitFor(stuck, 50));
        EXPECT_FALSE(thread.waitFor(behind, 0));
        EXPECT_FALSE(firstTold || secondTold);
        SetEvent(releaseEvent);
        EXPECT_TRUE(thread.waitFor(behind, 10'000));
        EXPECT_TRUE(firstTold && secondTold);
    }
    // The end of the program never waits on a job stuck in a driver beyond a moment.
    ResetEvent(releaseEvent);
    const ULONGLONG before = GetTickCount64();
    {
        PortThread thread;
        thread.run([releaseEvent] { WaitForSingleObject(releaseEvent, INFINITE); });
    }
    EXPECT_LT(GetTickCount64() - before, 2'000U);
    SetEvent(releaseEvent);  // the thread left behind ends
}

}  // namespace
}  // namespace zelt::win32
