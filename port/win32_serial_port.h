#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "port/line_settings.h"
#include "port/serial_port.h"

namespace zelt {

// The radio's serial port over the Win32 communications API. Closed when constructed, on COM1 at
// "4800,n,8,2"; the destructor releases an open port, since the program never closes it itself.
class Win32SerialPort final : public SerialPort {
  public:
    // The highest port number a \\.\COMn name is given for.
    static constexpr std::int16_t kHighestPort = 255;
    // How long a write may wait for the driver to take its bytes.
    static constexpr std::uint32_t kWriteTimeoutMs = 1000;

    Win32SerialPort();
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    void setCommPort(std::int16_t number) override;
    std::int16_t commPort() const override { return number_; }

    void setSettings(const std::string& settings) override;
    std::string settings() const override { return settingsText_; }

    bool portOpen() const override { return handle_ != nullptr; }
    void setPortOpen(bool open) override;

    void output(const std::string& bytes) override;

  private:
    // HANDLE is a void*; keeping it as one spares every includer <windows.h>.
    struct HandleCloser {
        void operator()(void* handle) const noexcept;
    };
    using Handle = std::unique_ptr<void, HandleCloser>;

    void open();

    std::int16_t number_ = 1;
    std::string settingsText_ = "4800,n,8,2";
    LineSettings settings_;
    Handle handle_;
};

}  // namespace zelt
