#include "ui/win32_taskbar_button.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/failure.h"
#include "common/win32_failure.h"

namespace zelt::win32 {
namespace {

// "what (HRESULT 0x80004001)".
[[noreturn]] void throwResult(HRESULT result, const char* what) {
    throw Failure(static_cast<std::int32_t>(result), std::string(what) + " (" + hresultText(result) + ")");
}

// Premultiplied BGRA: red over a darker rim, so that the disc stands out on a red or dark button.
std::uint32_t markPixel(double distance, double radius) {
    const double coverage = std::clamp(radius + 0.5 - distance, 0.0, 1.0);
    const double red = distance > radius - 1.5 ? 0.55 : 1.0;
    const auto alpha = static_cast<std::uint32_t>(std::lround(255 * coverage));
    const auto level = static_cast<std::uint32_t>(std::lround(255 * coverage * red));
    return alpha << 24 | level << 16;
}

}  // namespace

HICON makeTransmitMark(int size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const ScopedBitmap color{CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)};
    if (color.get() == nullptr) return nullptr;
    auto* pixels = static_cast<std::uint32_t*>(bits);
    const double centre = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x + 0.5 - centre;
            const double dy = y + 0.5 - centre;
            const double distance = std::sqrt(dx * dx + dy * dy);
            pixels[y * size + x] = markPixel(distance, centre - 0.5);
        }
    }
    // An all-zero mask: the colour image's alpha alone says what is seen.
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>((size + 15) / 16 * 2 * size), 0);
    const ScopedBitmap mask{CreateBitmap(size, size, 1, 1, zeros.data())};
    if (mask.get() == nullptr) return nullptr;
    ICONINFO parts{TRUE, 0, 0, mask.get(), color.get()};
    return CreateIconIndirect(&parts);  // copies both bitmaps
}

TaskbarButton::TaskbarButton(HWND window, Maker make) : window_(window), make_(std::move(make)) {
    // Run as administrator, the window would not hear from the taskbar, which runs as the user.
    const UINT created = buttonCreatedMessage();
    if (created != 0) ChangeWindowMessageFilterEx(window_, created, MSGFLT_ALLOW, nullptr);
}

TaskbarButton::~TaskbarButton() {
    disconnect();
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
    disconnect();
    ITaskbarList3* list = nullptr;
    const HRESULT made = make_(&list);
    if (FAILED(made) || list == nullptr) throwResult(made, "the taskbar cannot be reached");
    const HRESULT ready = list->HrInit();
    if (FAILED(ready)) {
        list->Release();
        throwResult(ready, "the taskbar refused to start");
    }
    list_ = list;
}

void TaskbarButton::disconnect() noexcept {
    if (list_ != nullptr) std::exchange(list_, nullptr)->Release();
}

void TaskbarButton::markTransmitting(bool transmitting) {
    if (list_ == nullptr) return;
    HICON icon = transmitting ? mark() : nullptr;
    const HRESULT result = list_->SetOverlayIcon(window_, icon, transmitting ? L"Transmitting" : nullptr);
    if (FAILED(result)) throwResult(result, "the taskbar refused the mark");
}

HICON TaskbarButton::mark() {
    if (mark_.get() == nullptr) mark_ = ScopedIcon(makeTransmitMark(GetSystemMetrics(SM_CXSMICON)));
    if (mark_.get() == nullptr) {
        throw Failure(failure_code::kUnexpected, "the transmit mark could not be drawn");
    }
    return mark_.get();
}

}  // namespace zelt::win32
