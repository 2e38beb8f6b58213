#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_form.h"
#include "app/unkey_hotkey.h"
#include "app/win32_main_window.h"
#include "common/event_log.h"
#include "common/win32_event_log.h"
#include "common/win32_scoped.h"
#include "common/win32_text.h"
#include "port/win32_serial_port.h"
#include "settings/win32_registry_store.h"
#include "ui/win32_accessible.h"

namespace {

// The arguments after the program's name, split by the system's own rules, as UTF-8 (none if out of memory).
std::vector<std::string> commandLineArguments() {
    int count = 0;
    const zelt::win32::ScopedLocal<LPWSTR> words{CommandLineToArgvW(GetCommandLineW(), &count)};
    std::vector<std::string> arguments;
    for (int i = 1; words != nullptr && i < count; ++i) {
        arguments.push_back(zelt::win32::toUtf8(words.get()[i]));
    }
    return arguments;
}

// Runs until the window is gone or a WM_QUIT ends the loop from outside. In either case the window
// is closed before returning, while the objects its shut-down needs (the form and the port) still
// exist, so a radio left keyed is unkeyed however the loop ended, and before any window goes.
void runMessageLoop(HWND form, const zelt::win32::MainWindow& window) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Tab, the access keys and Enter on a button are the form's, as in a dialog; Tab and Escape
        // are the event log window's too, while it is open.
        if (IsWindow(form) && IsDialogMessageW(form, &msg)) continue;
        HWND log = window.eventLogWindow();
        if (log != nullptr && IsDialogMessageW(log, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (IsWindow(form)) SendMessageW(form, WM_CLOSE, 0, 0);
    if (IsWindow(form)) DestroyWindow(form);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    try {
        // A second zelt in this session hands over to the first before it touches anything: no
        // log file, no port, no store.
        const zelt::win32::SingleInstance oneZelt;
        if (oneZelt.another()) {
            oneZelt.handOver();
            return 0;
        }
        // The event log comes first, so that it is there for everything that follows, and goes last.
        zelt::win32::Clock clock;
        zelt::EventLog log(clock);
        zelt::win32::AppendFile logFile;
        zelt::EventLogFile logFileWriter(log, logFile, clock);
        const zelt::CommandLine commandLine = zelt::parseCommandLine(commandLineArguments());
        for (const std::string& problem : commandLine.problems) log.add(problem);
        if (!commandLine.logFile.empty()) logFileWriter.open(commandLine.logFile);
        const zelt::win32::Apartment apartment;
        if (const std::string refusal = apartment.refusal(); !refusal.empty()) log.add(refusal);

        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);

        zelt::win32::MainWindow::registerClass(instance);
        zelt::win32::MainWindow window(log);
        HWND hwnd = window.create(instance);
        if (hwnd == nullptr) return 1;

        zelt::win32::SerialPort radioPort;
        zelt::win32::RegistryStore store;
        zelt::MainForm form({radioPort, store, window, log});
        window.attach(form);
        zelt::UnkeyHotkey unkeyHotkey(store, log, window);
        window.addSystemMenu(unkeyHotkey);
        // Start-up runs on the hidden window; the operator first sees it as start-up left it.
        form.load();
        unkeyHotkey.load();
        window.showFirst(showCommand);
        runMessageLoop(hwnd, window);
        // The window is gone, so no host waits on it now: an owed unkey gets its last seconds here.
        form.windowGone();
        return 0;
    } catch (...) {
        return 1;
    }
}
