#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port/serial_port.h"

namespace zelt::win32 {

// The radio's serial port over the Win32 communications API. The destructor releases an open
// port, since the program may end without closing it.
class SerialPort final : public zelt::SerialPort {
  public:
    // How long a write may wait for the driver to take its bytes.
    static constexpr std::uint32_t kWriteTimeoutMs = 1000;
    // How long while the line is stalled: once a write came back short, every later one would
    // hold the window for the whole timeout until the radio reads again. The full timeout
    // returns with the first write that goes through whole.
    static constexpr std::uint32_t kStalledWriteTimeoutMs = 10;

    SerialPort() = default;
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    void open(std::int16_t number, const LineSettings& settings, ControlLines lines) override;
    void close() override { handle_.reset(); }
    bool isOpen() const override { return handle_ != nullptr; }
    bool answers() const override;
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
    // HANDLE is a void*; keeping it as one spares every includer <windows.h>.
    struct HandleCloser {
        void operator()(void* handle) const noexcept;
    };
    using Handle = std::unique_ptr<void, HandleCloser>;

    void setWriteTimeout(std::uint32_t milliseconds);

    Handle handle_;
    bool stalled_ = false;  // the last write came back short
};

}  // namespace zelt::win32
