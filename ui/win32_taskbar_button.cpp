#include "ui/win32_taskbar_button.h"

#include <cstdint>
#include <string>
#include <utility>

#include "common/failure.h"
#include "common/win32_text.h"
#include "resources/resource_ids.h"

namespace zelt::win32 {
namespace {

// "what (HRESULT 0x80004001)".
[[noreturn]] void throwResult(HRESULT result, const char* what) {
    throw Failure(static_cast<std::int32_t>(result), std::string(what) + " (" + hresultText(result) + ")");
}

}  // namespace

TaskbarButton::TaskbarButton(HWND window, Maker make) : window_(window), make_(std::move(make)) {
    // Run as administrator, the window would not hear from the taskbar, which runs as the user.
    const UINT created = buttonCreatedMessage();
    if (created != 0) ChangeWindowMessageFilterEx(window_, created, MSGFLT_ALLOW, nullptr);
}

UINT TaskbarButton::buttonCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

HRESULT TaskbarButton::makeTaskbarList(ITaskbarList3** list) {
    return CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                            reinterpret_cast<void**>(list));
}

// The taskbar may have restarted: the object of the old one is let go of.
void TaskbarButton::connect() {
    list_.reset();
    ITaskbarList3* made = nullptr;
    const HRESULT result = make_(&made);
    ScopedCom<ITaskbarList3> list(made);
    if (FAILED(result) || list == nullptr) throwResult(result, "the taskbar cannot be reached");
    const HRESULT ready = list->HrInit();
    if (FAILED(ready)) throwResult(ready, "the taskbar refused to start");
    list_ = std::move(list);
}

void TaskbarButton::markTransmitting(bool transmitting) {
    if (list_ == nullptr) return;
    HICON icon = transmitting ? mark() : nullptr;
    const HRESULT result = list_->SetOverlayIcon(window_, icon, transmitting ? L"Transmitting" : nullptr);
    if (FAILED(result)) throwResult(result, "the taskbar refused the mark");
}

// The small icon's size for the system's dpi, which is the taskbar's.
HICON TaskbarButton::mark() {
    if (mark_ == nullptr) {
        mark_.reset(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ZELT_TRANSMIT_MARK_ICON), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    }
    if (mark_ == nullptr) throw Failure(failure_code::kUnexpected, "the transmit mark could not be drawn");
    return mark_.get();
}

}  // namespace zelt::win32
