#include "ui/win32_clipboard.h"

#include <memory>
#include <type_traits>

#include "common/win32_text.h"

namespace zelt::win32 {
namespace {

struct GlobalFreer {
    void operator()(HGLOBAL memory) const noexcept { GlobalFree(memory); }
};
using GlobalMemory = std::unique_ptr<std::remove_pointer_t<HGLOBAL>, GlobalFreer>;

struct ClipboardCloser {
    void operator()(HWND /*owner*/) const noexcept { CloseClipboard(); }
};

}  // namespace

void copyToClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) throwLastError("OpenClipboard");
    const std::unique_ptr<std::remove_pointer_t<HWND>, ClipboardCloser> open(owner);
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    void* target = memory ? GlobalLock(memory.get()) : nullptr;
    if (target == nullptr) return;
    CopyMemory(target, text.c_str(), bytes);
    GlobalUnlock(memory.get());
    // The clipboard owns the memory once it took it.
    if (SetClipboardData(CF_UNICODETEXT, memory.get()) != nullptr) static_cast<void>(memory.release());
}

}  // namespace zelt::win32
