#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/win32_scoped.h"
#include "port/serial_port.h"
#include "port/win32_port_thread.h"

namespace zelt::win32 {

// The radio's serial port over the Win32 communications API.
//
// Threads: made, used and destroyed on the window's thread. Opening (CreateFileW and the line's
// set-up), closing (CloseHandle) and asking a device (GetCommState) run on the port's own thread,
// which a driver may hold for seconds; writes run on the window's thread, bounded by the write
// timeout, since a thread hop per request would cost latency. The open handle is the window
// thread's; a handle being opened is the port thread's until its outcome comes back, and a handle
// handed over for closing is the port thread's from then on.
class SerialPort final : public zelt::SerialPort {
  public:
    // How long a write may wait for the driver to take its bytes.
    static constexpr std::uint32_t kWriteTimeoutMs = 1000;
    // How long while the line is stalled: once a write came back short, every later one would
    // hold the window for the whole timeout until the radio reads again. The full timeout
    // returns with the first write that goes through whole.
    static constexpr std::uint32_t kStalledWriteTimeoutMs = 10;

    SerialPort() = default;
    // An open port is handed to the port's thread to be closed.
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    void startOpen(std::int16_t number, const LineSettings& settings, ControlLines lines) override;
    bool waitForOpen(std::uint32_t milliseconds) override;
    void close() override;
    bool isOpen() const override { return handle_.get() != nullptr; }
    void startAsking() override;
    std::size_t write(std::string_view bytes) override;

    // From the comm-ports API where the system has it, otherwise from the serial device map.
    std::vector<std::int16_t> presentPorts() const override;

    // The two sources of presentPorts(), for checking one against the other. The API's answer is
    // nothing on systems without it (before Windows 10 1803).
    static std::optional<std::vector<std::int16_t>> portsFromCommPortsApi();
    static std::vector<std::int16_t> portsFromDeviceMap();

    // 3 for "COM3"; nothing for any other name, "COM03" and "COM256" included.
    static std::optional<std::int16_t> portNumberOfName(std::wstring_view name);

  private:
    void closeOnThread() noexcept;
    void setWriteTimeout(std::uint32_t milliseconds);

    ScopedHandle handle_;
    bool stalled_ = false;            // the last write came back short
    std::uint64_t openUnderWay_ = 0;  // the port thread's job of the open under way; 0 for none
    PortThread thread_;               // last, so that it goes first, with its jobs' second parts
};

// Opens the device of COMn for exclusive reading and writing, as CreateFileW does: INVALID_HANDLE_VALUE
// with the error in GetLastError when it cannot. Called on the port's own thread only. zelt.exe's is
// CreateFileW itself; a test build of zelt links one whose opens take as long as a test says.
HANDLE openDevice(std::int16_t number);

}  // namespace zelt::win32
