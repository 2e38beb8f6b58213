// What MainWindow tells the system and asks of it beyond its controls: assistive technology,
// devices, the services the form uses (message boxes, sound, taskbar, timer, host link, hotkey), and
// one zelt per session.
#include <windows.h>

#include <dbt.h>
#include <oleacc.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_form.h"
#include "app/win32_main_window.h"
#include "app/window.h"
#include "common/win32_text.h"
#include "port/win32_serial_port.h"
#include "ui/win32_accessible.h"

namespace zelt::win32 {
namespace {

// What a screen reader says of the indicator: its name, the state in words, what pressing it does.
constexpr wchar_t kIndicatorName[] = L"Transmit indicator";
constexpr wchar_t kReceiving[] = L"Receiving";
constexpr wchar_t kTransmitting[] = L"Transmitting";
constexpr wchar_t kToggle[] = L"Toggle";

constexpr wchar_t kMutexName[] = L"Local\\zelt.DALMOR-ZELT-V3";
constexpr wchar_t kHandOverName[] = L"zelt.second-start";
// The first zelt may still be making its window: how often, and how long apart, to look for it.
constexpr int kWindowLooks = 40;
constexpr DWORD kBetweenLooksMs = 50;

// The port a device event names, read no further than the event's size; nothing if it is about no port.
std::optional<std::wstring> portName(LPARAM data) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_PORT || header->dbch_size <= kNameOffset) {
        return std::nullopt;
    }
    const auto* port = reinterpret_cast<const DEV_BROADCAST_PORT_W*>(header);
    const std::wstring_view name(port->dbcp_name, (header->dbch_size - kNameOffset) / sizeof(wchar_t));
    return std::wstring(name.substr(0, name.find(L'\0')));
}

}  // namespace

// A screen reader meets the indicator as a button: its name, the state in words as its value, and a
// default action that is a click. The port list is named after its label outright: Windows'
// standard object of a combo box takes the label's text, Wine's the chosen port's.
void MainWindow::exposeToAssistiveTechnology() {
    HWND indicator = control(kIndicator);
    exposeAccessible(
        indicator,
        [this] {
            return AccessibleFacts{
                .name = kIndicatorName,
                .value = form_ != nullptr && form_->transmitting() ? kTransmitting : kReceiving,
                .role = ROLE_SYSTEM_PUSHBUTTON,
                .defaultAction = kToggle};
        },
        [this, indicator] {
            PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(kIndicator, STN_CLICKED),
                         reinterpret_cast<LPARAM>(indicator));
        });
    exposeAccessible(control(kPortList), [this] {
        return AccessibleFacts{.name = withoutAccessKey(toUtf16(windowText(control(kPortLabel))))};
    });
}

// A serial port that Windows names as it arrives or goes is followed by its number; any other
// change of devices (DBT_DEVNODES_CHANGED, or a port of a name that is no COM number) is followed
// by asking the radio's port whether it still answers.
void MainWindow::deviceChanged(WPARAM event, LPARAM data) {
    if (event == DBT_DEVNODES_CHANGED) {
        form_->devicesChanged();
        return;
    }
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
    const std::optional<std::wstring> name = portName(data);
    if (!name) return;  // not a port: a disk, a volume, an interface
    const std::optional<std::int16_t> number = SerialPort::portNumberOfName(*name);
    if (!number) {
        form_->devicesChanged();
    } else if (event == DBT_DEVICEARRIVAL) {
        form_->portArrived(*number);
    } else {
        form_->portRemoved(*number);
    }
}

void MainWindow::close() {
    if (DestroyWindow(window("DestroyWindow")) == FALSE) throwLastError("DestroyWindow");
}

void MainWindow::showMessage(const std::string& text) {
    MessageBoxW(hwnd_, toUtf16(text).c_str(), nullptr, MB_OK);
}

void MainWindow::showAbout(const std::string& text) {
    MessageBoxW(hwnd_, toUtf16(text).c_str(), L"About zelt", MB_OK | MB_ICONINFORMATION);
}

void MainWindow::showEventLog() {
    if (!logWindow_) throwError(ERROR_INVALID_WINDOW_HANDLE, "the event log window");
    logWindow_->show(dpi_);
}

void MainWindow::connectTaskbar() {
    if (!taskbar_) throwError(ERROR_INVALID_WINDOW_HANDLE, "the taskbar button");
    taskbar_->connect();
}

// The same id replaces a timer already running, so there is only ever one.
void MainWindow::startTimer(std::uint32_t milliseconds) {
    if (SetTimer(window("SetTimer"), kTimerId, milliseconds, nullptr) == 0) throwLastError("SetTimer");
}

void MainWindow::listenToHost() {
    if (!hostLink_) throwError(ERROR_INVALID_WINDOW_HANDLE, "the host link");
    hostLink_->registerMessage();
    hostLink_->hookWindow();
}

// A second registration under the same id would not replace the first: the old one goes first.
void MainWindow::registerHotkey(HotkeyRegistration key) {
    unregisterHotkey();
    if (RegisterHotKey(window("RegisterHotKey"), kHotkeyId, key.modifiers, key.virtualKey) == FALSE) {
        throwLastError("RegisterHotKey");
    }
    hotkeyRegistered_ = true;
}

void MainWindow::unregisterHotkey() noexcept {
    if (!hotkeyRegistered_) return;
    UnregisterHotKey(hwnd_, kHotkeyId);
    hotkeyRegistered_ = false;
}

// An elevated first zelt's mutex cannot be opened unelevated (access denied): that, too, is another zelt.
SingleInstance::SingleInstance() {
    HANDLE made = CreateMutexW(nullptr, FALSE, kMutexName);
    const DWORD error = GetLastError();  // read before anything else can overwrite it
    mutex_.reset(made);
    another_ = error == ERROR_ALREADY_EXISTS || (made == nullptr && error == ERROR_ACCESS_DENIED);
}

UINT SingleInstance::handOverMessage() {
    static const UINT message = RegisterWindowMessageW(kHandOverName);
    return message;
}

// Asks the first zelt to come to the front, waiting on nothing it does: this copy, just started by
// the operator, may set the foreground window and passes that right on with a posted request. A
// first zelt whose window never shows up (starting, or ending) gets nothing; this copy ends anyway.
void SingleInstance::handOver() const noexcept {
    try {
        const std::wstring caption = toUtf16(layout::kCaption);
        for (int look = 0; look < kWindowLooks; ++look) {
            HWND first = FindWindowW(MainWindow::kClassName, caption.c_str());
            if (first != nullptr) {
                DWORD process = 0;
                GetWindowThreadProcessId(first, &process);
                AllowSetForegroundWindow(process);
                PostMessageW(first, handOverMessage(), 0, 0);
                return;
            }
            Sleep(kBetweenLooksMs);
        }
    } catch (...) {
        // Out of memory: the first zelt stays where it is.
    }
}

}  // namespace zelt::win32
