// zelt-host: plays the host program's part towards a running zelt, so that an operator can check
// the radio link without the host. It registers the host message and delivers request pairs to
// zelt's window, by SendMessage (waiting for the reply) or by PostMessage.
//
//   zelt-host [options] <request> <state>     one request pair (repeated with --repeat)
//   zelt-host [options] --flood N             N transmit requests, states 1,0,1,0,...
//   zelt-host [options] --info                print the window's place on the screen
//   zelt-host [options] --paint               make the window paint what it has invalidated
//
// Exit codes: 0 done, 1 usage, 2 window not found, 3 delivery failed.

#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNoWindow = 2;
constexpr int kExitFailed = 3;

constexpr const char* kMessageName = "REDUDORORU";
constexpr const wchar_t* kDefaultTitle = L"DALMOR ZELT V3";

void printUsage(std::FILE* out) {
    std::fputs(
        "usage: zelt-host [options] <request> <state>\n"
        "       zelt-host [options] --flood N\n"
        "       zelt-host [options] --info\n"
        "       zelt-host [options] --paint\n"
        "\n"
        "Delivers the host message \"REDUDORORU\" to zelt's window.\n"
        "  request 0 sets the transmit state (state 0 = receive, 1 = transmit);\n"
        "  request 1 closes zelt.\n"
        "\n"
        "options:\n"
        "  --post          deliver with PostMessage (no reply) instead of SendMessage\n"
        "  --repeat N      deliver the same pair N times\n"
        "  --flood N       deliver N transmit requests with states 1,0,1,0,... (ends on\n"
        "                  receive when N is even)\n"
        "  --hwnd H        use this window handle (decimal or 0x-hex) instead of searching\n"
        "  --title T       search for a window with caption T (default \"DALMOR ZELT V3\")\n"
        "  --info          print the window handle, its outer rectangle and the screen\n"
        "                  position and size of its client area, then exit\n"
        "  --paint         make the window repaint what it has invalidated, now; then exit\n"
        "  --quiet         print nothing\n"
        "  --help          this text\n"
        "\n"
        "With SendMessage the reply of the last delivery is printed as a decimal number.\n"
        "exit codes: 0 done, 1 usage, 2 window not found, 3 delivery failed\n",
        out);
}

std::optional<std::int64_t> parseInteger(const char* text, int base) {
    if (text == nullptr || *text == '\0') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, base);
    if (errno != 0 || end == text || *end != '\0') return std::nullopt;
    return value;
}

// Request codes and states are signed 32-bit values on the wire.
std::optional<std::int32_t> parseInt32(const char* text) {
    const auto value = parseInteger(text, 10);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::optional<long> parseCount(const char* text) {
    const auto value = parseInteger(text, 10);
    if (!value || *value < 1 || *value > 100'000'000) return std::nullopt;
    return static_cast<long>(*value);
}

std::wstring widen(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

struct Options {
    bool post = false;
    bool info = false;
    bool paint = false;
    bool quiet = false;
    bool flood = false;
    long count = 1;
    std::optional<HWND> hwnd;
    std::wstring title = kDefaultTitle;
    std::int32_t request = 0;
    std::int32_t state = 0;
};

// Returns the options, or nullopt after printing why the command line is wrong.
std::optional<Options> parseArguments(int argc, char** argv) {
    Options options;
    bool repeat = false;
    const char* positional[2] = {nullptr, nullptr};
    int positionalCount = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (std::strcmp(arg, "--post") == 0) {
            options.post = true;
        } else if (std::strcmp(arg, "--info") == 0) {
            options.info = true;
        } else if (std::strcmp(arg, "--paint") == 0) {
            options.paint = true;
        } else if (std::strcmp(arg, "--quiet") == 0) {
            options.quiet = true;
        } else if (std::strcmp(arg, "--repeat") == 0 || std::strcmp(arg, "--flood") == 0) {
            const bool isFlood = arg[2] == 'f';
            const auto count = parseCount(value());
            if (!count) {
                std::fprintf(stderr, "zelt-host: %s needs a count of 1 or more\n", arg);
                return std::nullopt;
            }
            (isFlood ? options.flood : repeat) = true;
            options.count = *count;
        } else if (std::strcmp(arg, "--hwnd") == 0) {
            const auto handle = parseInteger(value(), 0);
            if (!handle || *handle == 0) {
                std::fprintf(stderr, "zelt-host: --hwnd needs a nonzero window handle\n");
                return std::nullopt;
            }
            options.hwnd = reinterpret_cast<HWND>(static_cast<std::intptr_t>(*handle));
        } else if (std::strcmp(arg, "--title") == 0) {
            const char* title = value();
            if (title == nullptr) {
                std::fprintf(stderr, "zelt-host: --title needs a caption\n");
                return std::nullopt;
            }
            options.title = widen(title);
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            printUsage(stdout);
            std::exit(kExitOk);
        } else if (arg[0] == '-' && arg[1] == '-') {
            std::fprintf(stderr, "zelt-host: unknown option %s\n", arg);
            return std::nullopt;
        } else if (positionalCount < 2) {
            positional[positionalCount++] = arg;
        } else {
            std::fprintf(stderr, "zelt-host: too many arguments\n");
            return std::nullopt;
        }
    }

    if (options.flood && repeat) {
        std::fprintf(stderr, "zelt-host: --flood and --repeat exclude each other\n");
        return std::nullopt;
    }
    if (options.info && options.paint) {
        std::fprintf(stderr, "zelt-host: --info and --paint exclude each other\n");
        return std::nullopt;
    }
    const int needed = (options.info || options.paint || options.flood) ? 0 : 2;
    if (positionalCount != needed) {
        std::fprintf(stderr, needed == 0 ? "zelt-host: no request pair with --flood, --info or --paint\n"
                                         : "zelt-host: need a request and a state\n");
        return std::nullopt;
    }
    if (needed == 2) {
        const auto request = parseInt32(positional[0]);
        const auto state = parseInt32(positional[1]);
        if (!request || !state) {
            std::fprintf(stderr, "zelt-host: request and state are signed 32-bit integers\n");
            return std::nullopt;
        }
        options.request = *request;
        options.state = *state;
    }
    return options;
}

// The receiver reads both parameters as signed 32-bit values; sign-extend them into the wider
// Win64 parameter types so that -1 reads as -1.
WPARAM asWParam(std::int32_t value) {
    return static_cast<WPARAM>(static_cast<LONG_PTR>(value));
}
LPARAM asLParam(std::int32_t value) {
    return static_cast<LPARAM>(value);
}

// PostMessage fails while the receiver's queue is full; give it time to drain.
bool postWithRetry(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    for (int attempt = 0; attempt < 2000; ++attempt) {
        if (PostMessageW(window, message, wParam, lParam)) return true;
        if (!IsWindow(window)) return false;
        Sleep(5);
    }
    return false;
}

int printInfo(HWND window, bool quiet) {
    RECT outer{};
    RECT client{};
    POINT origin{0, 0};
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, &client) ||
        !ClientToScreen(window, &origin)) {
        std::fprintf(stderr, "zelt-host: cannot read the window's geometry\n");
        return kExitFailed;
    }
    if (!quiet) {
        std::printf("hwnd=%lld\n", static_cast<long long>(reinterpret_cast<std::intptr_t>(window)));
        std::printf("window=%ld,%ld,%ld,%ld\n", outer.left, outer.top, outer.right - outer.left,
                    outer.bottom - outer.top);
        std::printf("client=%ld,%ld,%ld,%ld\n", origin.x, origin.y, client.right - client.left,
                    client.bottom - client.top);
        std::printf("iconic=%d\n", IsIconic(window) ? 1 : 0);
        std::fflush(stdout);
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = parseArguments(argc, argv);
    if (!parsed) {
        printUsage(stderr);
        return kExitUsage;
    }
    const Options& options = *parsed;

    HWND window = options.hwnd ? *options.hwnd : FindWindowW(nullptr, options.title.c_str());
    if (window == nullptr || !IsWindow(window)) {
        if (!options.quiet) std::fprintf(stderr, "zelt-host: zelt's window was not found\n");
        return kExitNoWindow;
    }
    if (options.info) return printInfo(window, options.quiet);
    if (options.paint) {
        // Across processes this sends WM_PAINT and waits, so the screen is current afterwards.
        return RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN) ? kExitOk
                                                                                       : kExitFailed;
    }

    const UINT message = RegisterWindowMessageA(kMessageName);
    if (message == 0) {
        std::fprintf(stderr, "zelt-host: cannot register the host message\n");
        return kExitFailed;
    }

    LRESULT reply = 0;
    for (long i = 0; i < options.count; ++i) {
        const std::int32_t request = options.flood ? 0 : options.request;
        const std::int32_t state = options.flood ? static_cast<std::int32_t>(i % 2 == 0) : options.state;
        if (options.post) {
            if (!postWithRetry(window, message, asWParam(request), asLParam(state))) {
                std::fprintf(stderr, "zelt-host: posting message %ld of %ld failed (error %lu)\n", i + 1,
                             options.count, GetLastError());
                return kExitFailed;
            }
        } else {
            // A close request destroys the window while it is being served, so only a window that
            // is gone before a delivery counts as a failure.
            if (i > 0 && !IsWindow(window)) {
                std::fprintf(stderr, "zelt-host: the window went away after %ld of %ld messages\n", i,
                             options.count);
                return kExitFailed;
            }
            reply = SendMessageW(window, message, asWParam(request), asLParam(state));
        }
    }
    if (!options.post && !options.quiet) {
        std::printf("%lld\n", static_cast<long long>(reply));
        std::fflush(stdout);
    }
    return kExitOk;
}
