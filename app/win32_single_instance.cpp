#include "app/win32_single_instance.h"

#include <string>

#include "app/win32_main_window.h"
#include "common/win32_text.h"
#include "ui/layout.h"

namespace zelt::win32 {
namespace {

constexpr wchar_t kMutexName[] = L"Local\\zelt.DALMOR-ZELT-V3";
constexpr wchar_t kHandOverName[] = L"zelt.second-start";
// The first zelt may still be making its window: how often, and how long apart, to look for it.
constexpr int kWindowLooks = 40;
constexpr DWORD kBetweenLooksMs = 50;

}  // namespace

// A mutex the first zelt made for an elevated zelt cannot be opened unelevated (access denied):
// that, too, is another zelt in this session.
SingleInstance::SingleInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, kMutexName);
    const DWORD error = GetLastError();
    another_ = error == ERROR_ALREADY_EXISTS || (mutex_ == nullptr && error == ERROR_ACCESS_DENIED);
}

SingleInstance::~SingleInstance() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

UINT SingleInstance::handOverMessage() {
    static const UINT message = RegisterWindowMessageW(kHandOverName);
    return message;
}

void SingleInstance::allowHandOver(HWND window) noexcept {
    if (handOverMessage() != 0) ChangeWindowMessageFilterEx(window, handOverMessage(), MSGFLT_ALLOW, nullptr);
}

// This copy was just started by the operator and may set the foreground window; it passes that
// right to the first, which then brings itself to the front. A first zelt whose window never shows
// up (starting, or ending) gets nothing: this copy ends all the same.
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

void SingleInstance::comeToFront(HWND window) noexcept {
    if (IsIconic(window) != FALSE) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

}  // namespace zelt::win32
