// The floor zelt is measured against: the least a program can do for one host request. A bare
// window whose hooked procedure writes the five-byte block to the port and repaints a circle;
// no controls, no settings, no error handling beyond staying alive.
//
// It also keeps one idle thread beside its window's, as every program must that keeps its window
// thread off a device that may block (zelt opens and closes its port on a thread of its own). A
// second thread is not free everywhere: in a 32-bit process under Wine with a recent glibc, every
// system call then enters the kernel through the slow int 0x80 path, for as long as the process
// lives. With the environment variable ZELT_FLOOR_SINGLE_THREAD set, the floor stays single-threaded.
//
// Usage: zelt-floor.exe [port number]   (default 1; the window is titled "ZELT FLOOR")
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

HANDLE port = INVALID_HANDLE_VALUE;
UINT pttMessage = 0;
WNDPROC previous = nullptr;
COLORREF fill = RGB(0, 255, 0);

void openPort(int number) {
    const std::wstring name = L"\\\\.\\COM" + std::to_wstring(number);
    port = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) return;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = 4800;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = TWOSTOPBITS;
    SetCommState(port, &dcb);
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutConstant = 1000;
    SetCommTimeouts(port, &timeouts);
}

LRESULT CALLBACK hooked(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == pttMessage && wParam == 0 && (lParam == 0 || lParam == 1)) {
        const char block[5] = {0, 0, 0, static_cast<char>(lParam), 0x0F};
        DWORD written = 0;
        WriteFile(port, block, sizeof block, &written, nullptr);
        fill = lParam == 1 ? RGB(255, 0, 0) : RGB(0, 255, 0);
        InvalidateRect(window, nullptr, FALSE);
    } else if (message == pttMessage && wParam == 1) {
        DestroyWindow(window);
        return 0;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            HBRUSH brush = CreateSolidBrush(fill);
            HGDIOBJ old = SelectObject(dc, brush);
            Ellipse(dc, 19, 16, 52, 49);
            SelectObject(dc, old);
            DeleteObject(brush);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD WINAPI idle(void*) {
    Sleep(INFINITE);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    const int number = (arguments && *arguments) ? _wtoi(arguments) : 1;
    if (GetEnvironmentVariableW(L"ZELT_FLOOR_SINGLE_THREAD", nullptr, 0) == 0) {
        HANDLE thread = CreateThread(nullptr, 0, idle, nullptr, 0, nullptr);
        if (thread != nullptr) CloseHandle(thread);
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"ZeltFloor";
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowExW(0, L"ZeltFloor", L"ZELT FLOOR", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                        CW_USEDEFAULT, CW_USEDEFAULT, 120, 140, nullptr, nullptr, instance, nullptr);
    pttMessage = RegisterWindowMessageA("REDUDORORU");
    previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&hooked)));
    openPort(number);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
    return 0;
}
