#include "ui/win32_accessible.h"

#include <oleacc.h>

#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "common/win32_scoped.h"

namespace zelt::win32 {
namespace {

// What a window exposes, shared with its objects. An object may outlive its window: the facts are
// then dropped, and every question goes to the standard object, which knows the window is gone.
struct Exposure {
    std::function<AccessibleFacts()> facts;
    std::function<void()> act;
};

using Held = ScopedCom<IAccessible>;

// The system's standard object of a window's client area with the facts laid over it. Late binding
// (IDispatch) is not offered: it would bypass the overlay.
class Overlay final : public IAccessible {
  public:
    Overlay(Held standard, std::shared_ptr<const Exposure> exposure)
        : standard_(std::move(standard)), exposure_(std::move(exposure)) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
            IsEqualIID(iid, __uuidof(IAccessible))) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT /*index*/, LCID /*locale*/, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (const auto result = overlayText(child, &AccessibleFacts::name, name)) return *result;
        return standard_->get_accName(child, name);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        if (const auto result = overlayText(child, &AccessibleFacts::value, value)) return *result;
        return standard_->get_accValue(child, value);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (const auto result = overlayText(child, &AccessibleFacts::defaultAction, action)) return *result;
        return standard_->get_accDefaultAction(child, action);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        const long overlaid = role != nullptr && isSelf(child) ? fact(&AccessibleFacts::role) : 0;
        if (overlaid == 0) return standard_->get_accRole(child, role);
        VariantInit(role);
        role->vt = VT_I4;
        role->lVal = overlaid;
        return S_OK;
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        try {
            if (isSelf(child) && exposure_->act) {
                exposure_->act();
                return S_OK;
            }
            return standard_->accDoDefaultAction(child);
        } catch (...) {
            return E_FAIL;
        }
    }

    // Everything else is the standard object's.
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    STDMETHODIMP get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
        return standard_->get_accDescription(child, description);
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    STDMETHODIMP get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    STDMETHODIMP accSelect(LONG flags, VARIANT child) override { return standard_->accSelect(flags, child); }
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(LONG left, LONG top, VARIANT* child) override {
        return standard_->accHitTest(left, top, child);
    }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

  private:
    ~Overlay() = default;
    static bool isSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

    // The facts are asked for in these few functions only, each out of line: every question would
    // otherwise carry its own copy of the code that builds and drops them.

    // One fact, or its empty value when there are no facts (the window is gone) or asking failed.
    template <class Fact>
    [[gnu::noinline]] Fact fact(Fact AccessibleFacts::*field) const noexcept {
        try {
            if (exposure_->facts) return exposure_->facts().*field;
        } catch (...) {
            // The standard object's answer then.
        }
        return Fact{};
    }

    // A client-area text question's answer from the fact in field, or nothing where the standard one answers.
    [[gnu::noinline]] std::optional<HRESULT> overlayText(const VARIANT& child,
                                                         std::wstring AccessibleFacts::*field,
                                                         BSTR* out) const noexcept {
        if (out == nullptr || !isSelf(child)) return std::nullopt;
        try {
            const std::wstring text = fact(field);
            if (text.empty()) return std::nullopt;
            *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
            return *out != nullptr ? S_OK : E_OUTOFMEMORY;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    LONG references_ = 1;
    Held standard_;
    std::shared_ptr<const Exposure> exposure_;
};

// Only in start-up's single-threaded apartment do the objects' calls come through the message loop,
// one at a time like messages; a thread put into the multithreaded one keeps the standard objects.
bool inSingleThreadedApartment() {
    APTTYPE kind{};
    APTTYPEQUALIFIER how{};
    return SUCCEEDED(CoGetApartmentType(&kind, &how)) && (kind == APTTYPE_STA || kind == APTTYPE_MAINSTA);
}

// The exposed windows of this thread, each with the procedure it had before, replaced outright: the
// bookkeeping of SetWindowSubclass is a window property, which under Wine is read through the server
// on every message, and the indicator repaints at every request.
struct Exposed {
    WNDPROC previous = nullptr;
    std::shared_ptr<Exposure> exposure;
    // The client area's object, made at the first question and kept until the window goes: a screen
    // reader asks again after every event, at every change.
    Held client;
};
thread_local std::unordered_map<HWND, Exposed> t_exposed;

// The answer to WM_GETOBJECT (a new reference to the kept object), or nothing where the system's stands.
std::optional<LRESULT> answer(HWND window, WPARAM wParam, LPARAM lParam, Exposed& exposed) {
    const auto id = static_cast<LONG>(static_cast<DWORD>(lParam));
    if (id != OBJID_CLIENT || !exposed.exposure->facts || !inSingleThreadedApartment()) return std::nullopt;
    if (!exposed.client) {
        IAccessible* standard = nullptr;
        const HRESULT made = CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                       reinterpret_cast<void**>(&standard));
        Held held(standard);
        if (FAILED(made) || !held) return std::nullopt;
        exposed.client.reset(new Overlay(std::move(held), exposed.exposure));
    }
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, exposed.client.get());
    if (result < 0) return std::nullopt;  // the standard object then, without the facts
    return result;
}

LRESULT CALLBACK exposedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = t_exposed.find(window);
    if (found == t_exposed.end()) return DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC previous = found->second.previous;
    try {
        if (message == WM_GETOBJECT) {
            if (const std::optional<LRESULT> result = answer(window, wParam, lParam, found->second)) {
                return *result;
            }
        } else if (message == WM_NCDESTROY) {
            *found->second.exposure = Exposure{};
            t_exposed.erase(found);
        }
    } catch (...) {
        // The system's own answer then.
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace

void exposeAccessible(HWND window, std::function<AccessibleFacts()> facts, std::function<void()> act) {
    if (window == nullptr || t_exposed.contains(window)) return;
    Exposed& exposed = t_exposed[window];
    exposed.exposure = std::make_shared<Exposure>(Exposure{std::move(facts), std::move(act)});
    exposed.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&exposedProc)));
    if (exposed.previous == nullptr) t_exposed.erase(window);
}

// Asked first, as Microsoft advises servers: with no screen reader or other tool listening, raising
// the event would cost every change of state a trip through the system for nobody.
void announceValueChange(HWND window) {
    if (!IsWinEventHookInstalled(EVENT_OBJECT_VALUECHANGE)) return;
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

std::wstring withoutAccessKey(const std::wstring& caption) {
    std::wstring spoken;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        spoken += caption[i];
    }
    return spoken;
}

}  // namespace zelt::win32
