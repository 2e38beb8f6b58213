#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "common/win32_scoped.h"

namespace zelt::win32 {

// A thread for the serial port's calls that can wait in a driver for seconds: opening a port,
// closing one, asking a device whether it answers. The window's thread hands it jobs; they run one
// at a time in the order given, so a port is closed before it is opened again. What a job found is
// told back on the window's thread, by the job's second part, through a message-only window of that
// thread: from its message loop (a message box's included), or from waitFor.
//
// Who owns what: a job and what it captures belong to this thread from run() until the job has
// run; its second part belongs to the window's thread throughout. A job must capture values, never
// the object that asked for it: a thread stuck in a driver at the program's end is left behind.
class PortThread {
  public:
    // Made on the window's thread. A thread that cannot be started runs every job on the spot.
    PortThread();
    // Waits a moment for the jobs still queued (a close, usually), never for one stuck in a driver.
    ~PortThread();
    PortThread(const PortThread&) = delete;
    PortThread& operator=(const PortThread&) = delete;

    // Runs `job` on this thread after the jobs before it, then `then` on the window's thread.
    // Returns the job's number, for waitFor.
    std::uint64_t run(std::function<void()> job, std::function<void()> then = {});
    // Waits at most `milliseconds` for job `number` to end, and runs the second parts of the jobs
    // that ended meanwhile on the calling (window) thread. True when that job's second part has run.
    bool waitFor(std::uint64_t number, std::uint32_t milliseconds);

  private:
    struct Job {
        std::uint64_t number = 0;
        std::function<void()> work;
        std::function<void()> then;
    };
    // What both threads share; left behind with a thread that does not stop in time.
    struct Shared {
        CRITICAL_SECTION lock{};
        ScopedHandle wake;        // a job waits, or the thread is to stop
        ScopedHandle ended;       // a job ended
        HWND notify = nullptr;    // the window thread's message-only window
        std::vector<Job> queued;  // a few at a time
        std::vector<Job> ended_jobs;
        bool stopping = false;
        Shared();
        ~Shared();
    };

    static DWORD WINAPI runThread(void* shared);
    static LRESULT CALLBACK notifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void deliver();

    Shared* shared_;
    ScopedHandle thread_;
    std::uint64_t lastNumber_ = 0;
    std::uint64_t delivered_ = 0;  // the highest job number whose second part has run
};

}  // namespace zelt::win32
