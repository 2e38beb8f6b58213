#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "common/win32_scoped.h"
#include "port/serial_port.h"

namespace zelt::win32 {

// A thread for the serial port's calls that can wait in a driver for seconds: opening a port,
// closing one, asking a device whether it answers. The window's thread hands it jobs, run one at a
// time in order (so a port is closed before it is opened again). A job's second part runs on the
// window's thread, through a message-only window: from its message loop (a message box's included),
// or from waitFor. A job and what it captures are this thread's from run() until the job has run; it
// captures values, never the object that asked for it: a thread stuck in a driver at the program's
// end is left behind.
class PortThread {
  public:
    // Made on the window's thread. A thread that cannot be started runs every job on the spot.
    PortThread();
    // Waits a moment for the jobs still queued (a close, usually), never for one stuck in a driver.
    ~PortThread();
    PortThread(const PortThread&) = delete;
    PortThread& operator=(const PortThread&) = delete;

    // Runs `job` here after the jobs before it, then `then` on the window's thread; returns its number.
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
        SRWLOCK lock = SRWLOCK_INIT;
        // Set when a job waits or the thread is to stop; set when a job ended.
        ScopedHandle wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
        ScopedHandle ended{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
        HWND notify = nullptr;    // the window thread's message-only window
        std::vector<Job> queued;  // a few at a time
        std::vector<Job> ended_jobs;
        bool stopping = false;
    };

    static DWORD WINAPI runThread(void* shared);
    static LRESULT CALLBACK notifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void deliver();

    Shared* shared_;
    ScopedHandle thread_;
    std::uint64_t lastNumber_ = 0;
    std::uint64_t delivered_ = 0;  // the highest job number whose second part has run
};

// The radio's serial port over the Win32 communications API, made, used and destroyed on the window's
// thread. Opening (CreateFileW and the line's set-up), closing and asking a device (GetCommState) run
// on the port's own thread, which a driver may hold for seconds; writes stay on the window's thread,
// bounded by the write timeout, since a thread hop per request would cost latency. The open handle is
// the window thread's; one being opened, or handed over for closing, is the port thread's.
class SerialPort final : public zelt::SerialPort {
  public:
    // How long a write may wait for the driver to take its bytes.
    static constexpr std::uint32_t kWriteTimeoutMs = 1000;
    // How long while the line is stalled: once a write came back short, every later one would hold
    // the window for the whole timeout until the radio reads again; the first whole write restores it.
    static constexpr std::uint32_t kStalledWriteTimeoutMs = 10;

    // An open port is handed to the port's thread to be closed.
    ~SerialPort() override { close(); }

    void startOpen(std::int16_t number, const LineSettings& settings, ControlLines lines) override;
    bool waitForOpen(std::uint32_t milliseconds) override;
    // CloseHandle can wait in the driver of a dying device as long as an open can.
    void close() noexcept override;
    bool isOpen() const override { return handle_.get() != nullptr; }
    void startAsking() override;
    std::size_t write(std::string_view bytes) override;

    // From the comm-ports API where the system has it, otherwise from the serial device map.
    std::vector<std::int16_t> presentPorts() const override;

    // The two sources of presentPorts(); the API's answer is nothing before Windows 10 1803.
    static std::optional<std::vector<std::int16_t>> portsFromCommPortsApi();
    static std::vector<std::int16_t> portsFromDeviceMap();

    // 3 for "COM3"; nothing for any other name, "COM03" and "COM256" included.
    static std::optional<std::int16_t> portNumberOfName(std::wstring_view name);

  private:
    ScopedHandle handle_;
    bool stalled_ = false;            // the last write came back short
    std::uint64_t openUnderWay_ = 0;  // the port thread's job of the open under way; 0 for none
    PortThread thread_;               // last, so that it goes first, with its jobs' second parts
};

// Opens COMn for exclusive reading and writing, on the port's thread only: INVALID_HANDLE_VALUE with
// GetLastError when it cannot, as CreateFileW. A test build's opens take as long as a test says.
HANDLE openDevice(std::int16_t number);

}  // namespace zelt::win32
