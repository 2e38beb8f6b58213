#include <windows.h>

#include <shobjidl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/failure.h"
#include "ui/win32_taskbar_button.h"

namespace zelt {
namespace {

// The taskbar as the adapter meets it: every overlay call recorded, the icon's size and centre
// colour read while it is handed over; HrInit fails when told to.
class FakeTaskbarList final : public ITaskbarList3 {
  public:
    struct Overlay {
        HWND window;
        bool icon;
        int iconWidth;
        COLORREF centre;
        std::wstring description;
    };
    std::vector<Overlay> overlays;
    ULONG references = 1;
    HRESULT initResult = S_OK;

    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND window, HICON icon, LPCWSTR description) override {
        Overlay seen{window, icon != nullptr, 0, 0, description != nullptr ? description : L"(none)"};
        if (icon != nullptr) read(icon, seen);
        overlays.push_back(seen);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HrInit() override { return initResult; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Nothing else is the adapter's business.
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND, ULONGLONG, ULONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND, TBPFLAG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return E_NOTIMPL; }

  private:
    static void read(HICON icon, Overlay& seen) {
        ICONINFO parts{};
        if (GetIconInfo(icon, &parts) == FALSE) return;
        BITMAP bitmap{};
        GetObjectW(parts.hbmColor, sizeof bitmap, &bitmap);
        seen.iconWidth = bitmap.bmWidth;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, parts.hbmColor);
        seen.centre = GetPixel(dc, bitmap.bmWidth / 2, bitmap.bmHeight / 2);
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(parts.hbmColor);
        DeleteObject(parts.hbmMask);
    }
};

TEST(TaskbarButton, MarkIsARedDiscDescribedAsTransmittingAndIsTakenOffAgain) {
    FakeTaskbarList list;
    const auto window = reinterpret_cast<HWND>(0x1234);
    {
        win32::Win32TaskbarButton button(window, [&](ITaskbarList3** out) {
            *out = &list;
            return S_OK;
        });
        button.markTransmitting(true);  // not connected yet: nothing
        EXPECT_TRUE(list.overlays.empty());
        button.connect();
        button.markTransmitting(true);
        button.markTransmitting(false);
        button.markTransmitting(true);
    }
    ASSERT_EQ(list.overlays.size(), 3U);
    EXPECT_EQ(list.overlays[0].window, window);
    EXPECT_TRUE(list.overlays[0].icon);
    EXPECT_EQ(list.overlays[0].description, L"Transmitting");
    EXPECT_EQ(list.overlays[0].iconWidth, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(list.overlays[0].centre, RGB(255, 0, 0));
    EXPECT_FALSE(list.overlays[1].icon);
    EXPECT_TRUE(list.overlays[2].icon);
    EXPECT_EQ(list.references, 0U) << "the taskbar object was not let go of";
}

TEST(TaskbarButton, MissingOrRefusingTaskbarFailsWithItsCode) {
    win32::Win32TaskbarButton missing(nullptr, [](ITaskbarList3**) { return REGDB_E_CLASSNOTREG; });
    try {
        missing.connect();
        ADD_FAILURE() << "connected to nothing";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.code(), static_cast<std::int32_t>(REGDB_E_CLASSNOTREG));
        EXPECT_NE(std::string(failure.what()).find("0x80040154"), std::string::npos) << failure.what();
    }
    missing.markTransmitting(true);  // nothing to mark: no failure

    FakeTaskbarList list;
    list.initResult = E_FAIL;
    win32::Win32TaskbarButton refusing(nullptr, [&](ITaskbarList3** out) {
        *out = &list;
        return S_OK;
    });
    EXPECT_THROW(refusing.connect(), Failure);
    EXPECT_EQ(list.references, 0U);
}

}  // namespace
}  // namespace zelt
