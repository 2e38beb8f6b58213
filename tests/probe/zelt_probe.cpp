// zelt-probe.exe: looks at a running zelt from outside, the way a screen reader would, and prints
// what it finds as one line of JSON, so the end-to-end bench can check places, texts, states and
// message boxes without guessing from pixels.
//
//   zelt-probe window    the main window, its controls and which one has the focus
//   zelt-probe dialogs   the message boxes zelt's thread shows: title, text, buttons, icon
//   zelt-probe ok        presses OK on zelt's message box
//   zelt-probe end-session   Windows ending the session: WM_QUERYENDSESSION, then WM_ENDSESSION
//   zelt-probe end-session-closeapp
//                            the Restart Manager wanting zelt gone: both with ENDSESSION_CLOSEAPP
//   zelt-probe end-session-cancelled
//                            an end of the session that another program refused:
//                            WM_QUERYENDSESSION, then WM_ENDSESSION with wParam FALSE
//   zelt-probe quit          posts WM_QUIT to the thread of zelt's window (its loop ends)
//   zelt-probe device-change devices came or went (WM_DEVICECHANGE, DBT_DEVNODES_CHANGED)
//   zelt-probe port-arrived NAME | port-removed NAME
//                            a serial port arrived or went, named as Windows names it ("COM1"):
//                            WM_DEVICECHANGE, DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE, with
//                            a DEV_BROADCAST_PORT
//   zelt-probe suspend       the machine goes to sleep (WM_POWERBROADCAST, PBT_APMSUSPEND)
//   zelt-probe resume        the machine resumed from sleep (WM_POWERBROADCAST)
//   zelt-probe wake-by-user  a wake that a user made, as Windows tells it: PBT_APMRESUMEAUTOMATIC,
//                            then PBT_APMRESUMESUSPEND
//   zelt-probe accessible    what Microsoft Active Accessibility tells of every control: the
//                            IAccessible of its client area (AccessibleObjectFromWindow), and the
//                            object found at the indicator's centre (AccessibleObjectFromPoint)
//   zelt-probe default-action CONTROL
//                            carries out the default action of a control's accessible object, as
//                            a screen reader's command to press it does (exit code 3 if it fails)
//   zelt-probe events [--until FILE] [--for SECONDS]
//                            listens, out of context, for value changes in zelt's process and
//                            prints one line per event as it comes, the object's value read at that
//                            moment; first a line "ready" once listening; ends when FILE exists or
//                            after SECONDS (default 60)
//   zelt-probe taskbar-created   the taskbar made zelt's button ("TaskbarButtonCreated"), as
//                            Windows' taskbar tells; Wine's does not
//   zelt-probe syscommand ID posts WM_SYSCOMMAND ID (decimal or 0x-hex), as a system menu item does
//   zelt-probe eventlog      the event log window: its place and its lines, oldest first
//   zelt-probe eventlog-press Copy|Clear   presses that button of the event log window
//   zelt-probe eventlog-close               closes the event log window (WM_CLOSE)
//   zelt-probe clipboard     the clipboard's text
//
// Each message that a system notification sends prints a line: the window's reply and the
// milliseconds that the SendMessage took.
//
// Exit codes: 0 found, 2 no zelt window (or no message box for "ok"), 3 not delivered, 1 usage.
#include <windows.h>

#include <dbt.h>
#include <oleacc.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kTitle[] = L"DALMOR ZELT V3";

// The controls' ids, in the order zelt creates them.
constexpr const char* kNames[] = {"portList",        "lineSettingsBox", "portLabel", "settingsLabel",
                                  "runMinimizedBox", "panelButton",     "onTopBox",  "indicator"};
constexpr int kFirstId = 101;

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::string json(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// WM_GETTEXT rather than GetWindowText: for another process's edit or combo box, GetWindowText
// gives a caption the control never updates, not the text on screen.
std::string textOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
        return {};
    }
    text.resize(static_cast<std::size_t>(copied));
    return utf8(text);
}

std::string classOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return utf8(name);
}

std::string rectJson(const RECT& r) {
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top) + "]";
}

HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// The window's DPI where Windows can tell one per window (looked up: the probe builds for Windows 7).
UINT dpiOf(HWND window) {
    using Function = UINT(WINAPI*)(HWND);
    static const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return function != nullptr ? function(window) : USER_DEFAULT_SCREEN_DPI;
}

int window() {
    HWND form = FindWindowW(nullptr, kTitle);
    if (form == nullptr) return 2;
    RECT outer;
    GetWindowRect(form, &outer);
    RECT client;
    GetClientRect(form, &client);
    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(form, &placement);
    const auto exStyle = GetWindowLongPtrW(form, GWL_EXSTYLE);
    HWND focus = focusOf(form);

    std::string out = "{\"title\":" + json(textOf(form));
    out += ",\"visible\":" + std::string(IsWindowVisible(form) ? "true" : "false");
    out += ",\"minimized\":" + std::string(IsIconic(form) ? "true" : "false");
    out += ",\"maximized\":" + std::string(IsZoomed(form) ? "true" : "false");
    out += ",\"topmost\":" + std::string((exStyle & WS_EX_TOPMOST) ? "true" : "false");
    out += ",\"dpi\":" + std::to_string(dpiOf(form));
    out += ",\"outer\":" + rectJson(outer);
    out += ",\"normal\":" + rectJson(placement.rcNormalPosition);
    out += ",\"client\":[" + std::to_string(origin.x) + "," + std::to_string(origin.y) + "," +
           std::to_string(client.right) + "," + std::to_string(client.bottom) + "]";
    out += ",\"focus\":";
    std::string focusName = "null";
    out += "FOCUS";
    out += ",\"controls\":{";
    bool first = true;
    for (HWND child = GetWindow(form, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (id < kFirstId || id >= kFirstId + static_cast<int>(std::size(kNames))) continue;
        const char* name = kNames[id - kFirstId];
        if (child == focus || (focus != nullptr && IsChild(child, focus))) focusName = json(name);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&r), 2);
        std::string entry =
            json(name) + ":{\"class\":" + json(classOf(child)) + ",\"text\":" + json(textOf(child));
        entry += ",\"enabled\":" + std::string(IsWindowEnabled(child) ? "true" : "false");
        entry += ",\"rect\":" + rectJson(r);
        const std::string cls = classOf(child);
        if (cls == "Button") {
            entry += ",\"check\":" + std::to_string(SendMessageW(child, BM_GETCHECK, 0, 0));
        } else if (cls == "ComboBox") {
            entry +=
                ",\"selection\":" + std::to_string(static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0)));
            const int count = static_cast<int>(SendMessageW(child, CB_GETCOUNT, 0, 0));
            entry += ",\"items\":[";
            for (int i = 0; i < count; ++i) {
                wchar_t item[64] = {};
                if (SendMessageW(child, CB_GETLBTEXTLEN, i, 0) < 63) {
                    SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                }
                entry += (i ? "," : "") + json(utf8(item));
            }
            entry += "]";
        }
        out += (first ? "" : ",") + entry + "}";
        first = false;
    }
    out += "}}";
    out.replace(out.find("FOCUS"), 5, focusName);
    std::printf("%s\n", out.c_str());
    return 0;
}

BOOL CALLBACK collectMessageBox(HWND candidate, LPARAM list) {
    if (classOf(candidate) == "#32770" && IsWindowVisible(candidate)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(candidate);
    }
    return TRUE;
}

// Message boxes belong to the thread that owns zelt's window.
std::vector<HWND> messageBoxes() {
    std::vector<HWND> found;
    HWND form = FindWindowW(nullptr, kTitle);
    if (form == nullptr) return found;
    EnumThreadWindows(GetWindowThreadProcessId(form, nullptr), collectMessageBox,
                      reinterpret_cast<LPARAM>(&found));
    return found;
}

int dialogs() {
    if (FindWindowW(nullptr, kTitle) == nullptr) return 2;
    std::string out = "[";
    bool first = true;
    for (HWND box : messageBoxes()) {
        std::string text;
        std::string buttons;
        bool icon = false;
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            const std::string cls = classOf(child);
            if (cls == "Button") {
                buttons += (buttons.empty() ? "" : ",") + json(textOf(child));
            } else if (cls == "Static") {
                if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                    icon = icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
                } else if (!textOf(child).empty()) {
                    text = textOf(child);
                }
            }
        }
        out += std::string(first ? "" : ",") + "{\"title\":" + json(textOf(box)) + ",\"text\":" + json(text) +
               ",\"buttons\":[" + buttons + "],\"icon\":" + (icon ? "true" : "false") + "}";
        first = false;
    }
    std::printf("%s]\n", out.c_str());
    return 0;
}

int pressOk() {
    const auto boxes = messageBoxes();
    if (boxes.empty()) return 2;
    PostMessageW(boxes.front(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

// Delivers a system notification as Windows would; prints the window's reply and how long the
// window took to give it.
int notify(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND form = FindWindowW(nullptr, kTitle);
    if (form == nullptr) return 2;
    DWORD_PTR reply = 0;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&start);
    const bool answered = SendMessageTimeoutW(form, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &reply);
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    if (!answered) return 3;
    std::printf(
        "%lld %.1f\n", static_cast<long long>(reply),
        static_cast<double>(end.QuadPart - start.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart));
    return 0;
}

// A port's arrival or removal as Windows broadcasts it: the port's name in a DEV_BROADCAST_PORT.
int portEvent(WPARAM event, const char* name) {
    const std::wstring wide(name, name + std::strlen(name));
    std::vector<unsigned char> buffer(offsetof(DEV_BROADCAST_PORT_W, dbcp_name) +
                                      (wide.size() + 1) * sizeof(wchar_t));
    auto* port = reinterpret_cast<DEV_BROADCAST_PORT_W*>(buffer.data());
    port->dbcp_size = static_cast<DWORD>(buffer.size());
    port->dbcp_devicetype = DBT_DEVTYP_PORT;
    std::copy(wide.begin(), wide.end(), port->dbcp_name);
    port->dbcp_name[wide.size()] = L'\0';
    return notify(WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(port));
}

int endSession(BOOL ending, LPARAM why) {
    const int query = notify(WM_QUERYENDSESSION, 0, why);
    if (query != 0) return query;
    return notify(WM_ENDSESSION, ending, why);
}

// Windows tells of a sleep and of a wake with WM_POWERBROADCAST; a user's wake comes as two.
int power(WPARAM event) {
    return notify(WM_POWERBROADCAST, event, 0);
}

int quit() {
    HWND form = FindWindowW(nullptr, kTitle);
    if (form == nullptr) return 2;
    return PostThreadMessageW(GetWindowThreadProcessId(form, nullptr), WM_QUIT, 0, 0) ? 0 : 3;
}

// -- accessibility --------------------------------------------------------------------------------

std::string hresultJson(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(hr));
    return json(text);
}

// A BSTR property: its text, null when the object has none (S_FALSE or no string), or the failure.
template <class Getter>
std::string textProperty(Getter get) {
    BSTR text = nullptr;
    const HRESULT hr = get(&text);
    std::string out;
    if (FAILED(hr)) {
        out = "{\"error\":" + hresultJson(hr) + "}";
    } else if (text == nullptr) {
        out = "null";
    } else {
        out = json(utf8(std::wstring(text, SysStringLen(text))));
    }
    SysFreeString(text);
    return out;
}

// A VT_I4 property (role, state), or the failure.
template <class Getter>
std::string numberProperty(Getter get) {
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = get(&value);
    std::string out = FAILED(hr)          ? "{\"error\":" + hresultJson(hr) + "}"
                      : value.vt == VT_I4 ? std::to_string(value.lVal)
                                          : "null";
    VariantClear(&value);
    return out;
}

std::string describe(IAccessible* object, LONG child) {
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    std::string out = "{\"name\":" + textProperty([&](BSTR* t) { return object->get_accName(id, t); });
    out += ",\"value\":" + textProperty([&](BSTR* t) { return object->get_accValue(id, t); });
    out += ",\"role\":" + numberProperty([&](VARIANT* v) { return object->get_accRole(id, v); });
    out += ",\"state\":" + numberProperty([&](VARIANT* v) { return object->get_accState(id, v); });
    out += ",\"defaultAction\":" + textProperty([&](BSTR* t) { return object->get_accDefaultAction(id, t); });
    return out + "}";
}

// The client object of a window as a screen reader gets it.
std::string describeWindow(HWND window) {
    IAccessible* object = nullptr;
    const HRESULT hr = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                                  __uuidof(IAccessible), reinterpret_cast<void**>(&object));
    if (FAILED(hr) || object == nullptr) return "{\"error\":" + hresultJson(hr) + "}";
    std::string out = describe(object, CHILDID_SELF);
    object->Release();
    return out;
}

int accessible() {
    HWND form = FindWindowW(nullptr, kTitle);
    if (form == nullptr) return 2;
    std::string out = "{\"controls\":{";
    bool first = true;
    HWND indicator = nullptr;
    for (HWND child = GetWindow(form, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (id < kFirstId || id >= kFirstId + static_cast<int>(std::size(kNames))) continue;
        if (std::string(kNames[id - kFirstId]) == "indicator") indicator = child;
        out += std::string(first ? "" : ",") + json(kNames[id - kFirstId]) + ":" + describeWindow(child);
        first = false;
    }
    out += "},\"atIndicator\":";
    RECT box{};
    if (indicator != nullptr && GetWindowRect(indicator, &box)) {
        const POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
        IAccessible* object = nullptr;
        VARIANT child;
        VariantInit(&child);
        const HRESULT hr = AccessibleObjectFromPoint(centre, &object, &child);
        if (SUCCEEDED(hr) && object != nullptr && child.vt == VT_I4) {
            out += describe(object, child.lVal);
        } else {
            out += "{\"error\":" + hresultJson(FAILED(hr) ? hr : E_FAIL) + "}";
        }
        if (object != nullptr) object->Release();
        VariantClear(&child);
    } else {
        out += "null";
    }
    std::printf("%s}\n", out.c_str());
    return 0;
}

int defaultAction(const std::string& name) {
    HWND form = FindWindowW(nullptr, kTitle);
    if (form == nullptr) return 2;
    HWND control = nullptr;
    for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i) {
        if (name == kNames[i]) control = GetDlgItem(form, kFirstId + i);
    }
    if (control == nullptr) return 1;
    IAccessible* object = nullptr;
    HRESULT hr = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&object));
    if (SUCCEEDED(hr) && object != nullptr) {
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        hr = object->accDoDefaultAction(self);
        object->Release();
    }
    std::printf("%s\n", hresultJson(hr).c_str());
    return SUCCEEDED(hr) ? 0 : 3;
}

HWND g_form = nullptr;

// Microseconds since start, on the performance counter.
double microsecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// Out of context, the event arrives in this thread's message loop; the object is asked for its
// value there and then, as a screen reader announcing the change would. Each step's time is told as
// well (getting the object, its value, letting it go): each is a call answered on the window's thread.
void CALLBACK valueChanged(HWINEVENTHOOK /*hook*/, DWORD /*event*/, HWND window, LONG object, LONG child,
                           DWORD /*thread*/, DWORD /*time*/) {
    std::string control = "null";
    const int id = GetDlgCtrlID(window);
    if (GetParent(window) == g_form && id >= kFirstId &&
        id < kFirstId + static_cast<int>(std::size(kNames))) {
        control = json(kNames[id - kFirstId]);
    }
    std::string value = "null";
    IAccessible* accessible = nullptr;
    VARIANT childId;
    VariantInit(&childId);
    // A client waiting for the window's answer may be handed the next event meanwhile (COM's wait in
    // a single-threaded apartment dispatches messages): depth says how deep this call is nested.
    static int nesting = 0;
    const int depth = ++nesting;
    double steps[3] = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const HRESULT hr = AccessibleObjectFromEvent(window, static_cast<DWORD>(object),
                                                 static_cast<DWORD>(child), &accessible, &childId);
    steps[0] = microsecondsSince(start);
    steps[1] = steps[2] = steps[0];
    if (SUCCEEDED(hr) && accessible != nullptr) {
        value = textProperty([&](BSTR* t) { return accessible->get_accValue(childId, t); });
        steps[1] = microsecondsSince(start);
        accessible->Release();
        steps[2] = microsecondsSince(start);
    } else {
        value = "{\"error\":" + hresultJson(hr) + "}";
    }
    VariantClear(&childId);
    --nesting;
    std::printf(
        "{\"event\":\"valuechange\",\"hwnd\":%lld,\"control\":%s,\"idObject\":%ld,\"idChild\":%ld,"
        "\"value\":%s,\"depth\":%d,\"objectUs\":%.1f,\"valueUs\":%.1f,\"releaseUs\":%.1f}\n",
        static_cast<long long>(reinterpret_cast<INT_PTR>(window)), control.c_str(), static_cast<long>(object),
        static_cast<long>(child), value.c_str(), depth, steps[0], steps[1] - steps[0], steps[2] - steps[1]);
    std::fflush(stdout);
}

int events(int argc, char** argv) {
    std::wstring until;
    double seconds = 60;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--until") {
            const int size = MultiByteToWideChar(CP_UTF8, 0, argv[i + 1], -1, nullptr, 0);
            until.assign(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, argv[i + 1], -1, until.data(), size);
            until.resize(until.size() - 1);
        } else if (option == "--for") {
            seconds = std::atof(argv[i + 1]);
        } else {
            return 1;
        }
    }
    g_form = FindWindowW(nullptr, kTitle);
    if (g_form == nullptr) return 2;
    DWORD process = 0;
    GetWindowThreadProcessId(g_form, &process);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                                         valueChanged, process, 0, WINEVENT_OUTOFCONTEXT);
    if (hook == nullptr) return 3;
    std::printf("{\"ready\":true,\"process\":%lu}\n", static_cast<unsigned long>(process));
    std::fflush(stdout);

    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (GetTickCount64() < end &&
           (until.empty() || GetFileAttributesW(until.c_str()) == INVALID_FILE_ATTRIBUTES)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    UnhookWinEvent(hook);
    std::printf("{\"done\":true}\n");
    return 0;
}

// Like zelt's own: posted, because an item may open a modal box that would hold a SendMessage.
int sysCommand(const char* id) {
    HWND form = FindWindowW(nullptr, kTitle);
    if (form == nullptr) return 2;
    const auto value = std::strtoul(id, nullptr, 0);
    return PostMessageW(form, WM_SYSCOMMAND, value, 0) ? 0 : 3;
}

// Shows zelt's window with a show command (SW_*), as another program may.
int show(const char* command) {
    HWND form = FindWindowW(nullptr, kTitle);
    if (form == nullptr) return 2;
    ShowWindow(form, static_cast<int>(std::strtol(command, nullptr, 0)));
    return 0;
}

HWND eventLogWindow() {
    return FindWindowW(L"ZeltEventLog", nullptr);
}

constexpr int kEventLogList = 201;
constexpr int kEventLogCopy = 202;
constexpr int kEventLogClear = 203;

int eventLog() {
    HWND window = eventLogWindow();
    if (window == nullptr) return 2;
    HWND list = GetDlgItem(window, kEventLogList);
    RECT outer;
    GetWindowRect(window, &outer);
    std::string out = "{\"title\":" + json(textOf(window));
    out += ",\"visible\":" + std::string(IsWindowVisible(window) ? "true" : "false");
    out += ",\"outer\":" + rectJson(outer);
    out += ",\"owner\":" +
           std::string(GetWindow(window, GW_OWNER) == FindWindowW(nullptr, kTitle) ? "true" : "false");
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    out += ",\"lines\":[";
    for (int i = 0; i < count; ++i) {
        const auto length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring line(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
        const auto copied = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        line.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
        out += (i ? "," : "") + json(utf8(line));
    }
    std::printf("%s]}\n", out.c_str());
    return 0;
}

int eventLogPress(const std::string& button) {
    HWND window = eventLogWindow();
    if (window == nullptr) return 2;
    const int id = button == "Copy" ? kEventLogCopy : button == "Clear" ? kEventLogClear : 0;
    if (id == 0) return 1;
    HWND control = GetDlgItem(window, id);
    if (control == nullptr || textOf(control) != button) return 3;
    DWORD_PTR reply = 0;
    return SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &reply) ? 0 : 3;
}

int eventLogClose() {
    HWND window = eventLogWindow();
    if (window == nullptr) return 2;
    return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 3;
}

int clipboard() {
    if (!OpenClipboard(nullptr)) return 3;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* text = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    const std::string out = text != nullptr ? utf8(text) : std::string{};
    if (text != nullptr) GlobalUnlock(data);
    CloseClipboard();
    std::printf("%s\n", json(out).c_str());
    return text != nullptr ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    int result = 1;
    if (command == "window") {
        result = window();
    } else if (command == "dialogs") {
        result = dialogs();
    } else if (command == "ok") {
        result = pressOk();
    } else if (command == "end-session") {
        result = endSession(TRUE, ENDSESSION_LOGOFF);
    } else if (command == "end-session-closeapp") {
        result = endSession(TRUE, ENDSESSION_CLOSEAPP);
    } else if (command == "end-session-cancelled") {
        result = endSession(FALSE, ENDSESSION_LOGOFF);
    } else if (command == "quit") {
        result = quit();
    } else if (command == "device-change") {
        result = notify(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    } else if ((command == "port-arrived" || command == "port-removed") && argc > 2) {
        result = portEvent(command == "port-arrived" ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE, argv[2]);
    } else if (command == "suspend") {
        result = power(PBT_APMSUSPEND);
    } else if (command == "resume") {
        result = power(PBT_APMRESUMEAUTOMATIC);
    } else if (command == "wake-by-user") {
        result = power(PBT_APMRESUMEAUTOMATIC);
        if (result == 0) result = power(PBT_APMRESUMESUSPEND);
    } else if (command == "taskbar-created") {
        result = notify(RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
    } else if (command == "syscommand" && argc > 2) {
        result = sysCommand(argv[2]);
    } else if (command == "show" && argc > 2) {
        result = show(argv[2]);
    } else if (command == "eventlog") {
        result = eventLog();
    } else if (command == "eventlog-press" && argc > 2) {
        result = eventLogPress(argv[2]);
    } else if (command == "eventlog-close") {
        result = eventLogClose();
    } else if (command == "clipboard") {
        result = clipboard();
    } else if (command == "accessible" || command == "events" || (command == "default-action" && argc == 3)) {
        // The objects live in zelt; this thread reaches them through COM.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (command == "accessible") {
            result = accessible();
        } else if (command == "events") {
            result = events(argc, argv);
        } else {
            result = defaultAction(argv[2]);
        }
        CoUninitialize();
    }
    if (result == 1) {
        std::fprintf(
            stderr,
            "usage: zelt-probe window|dialogs|ok|end-session|end-session-closeapp|end-session-cancelled|"
            "quit|device-change|port-arrived NAME|port-removed NAME|suspend|resume|wake-by-user|"
            "taskbar-created|syscommand ID|"
            "eventlog|eventlog-press Copy|Clear|eventlog-close|clipboard|accessible|"
            "default-action CONTROL|events [--until FILE] [--for SECONDS]\n");
    }
    std::fflush(stdout);
    return result;
}
