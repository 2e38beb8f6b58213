// zelt-host: plays the host program's part towards a running zelt, so that an operator can check
// the radio link without the host. It registers the host message and delivers request pairs to
// zelt's window, by SendMessage (waiting for the reply) or by PostMessage.
//
//   zelt-host [options] <request> <state>     one request pair (repeated with --repeat)
//   zelt-host [options] --flood N             N transmit requests, states 1,0,1,0,...
//   zelt-host [options] --info                print the window's place on the screen
//   zelt-host [options] --paint               make the window paint what it has invalidated
//   zelt-host [options] --bench N             time N sent requests, states 1,0,1,0,...
//   zelt-host [options] --startup EXE         time EXE from its start to its window showing
//
// Exit codes: 0 done, 1 usage, 2 window not found, 3 delivery failed, 4 a started program did not
// end when asked and was killed.

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/win32_text.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNoWindow = 2;
constexpr int kExitFailed = 3;
constexpr int kExitKilled = 4;
// The exit code given to a started program that had to be killed.
constexpr UINT kKilledExitCode = 99;

constexpr const char* kMessageName = "REDUDORORU";
constexpr const wchar_t* kDefaultTitle = L"DALMOR ZELT V3";

void printUsage(std::FILE* out) {
    std::fputs(
        "usage: zelt-host [options] <request> <state>\n"
        "       zelt-host [options] --flood N\n"
        "       zelt-host [options] --info\n"
        "       zelt-host [options] --paint\n"
        "       zelt-host [options] --bench N\n"
        "       zelt-host [options] --startup EXE [--runs K]\n"
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
        "  --bench N       after a few uncounted warm-up requests, send N transmit requests\n"
        "                  with states 1,0,1,0,..., time each round trip and print one line:\n"
        "                  bench: N=.. warmup=.. median_us=.. p99_us=.. min_us=.. max_us=..\n"
        "  --startup EXE   start EXE, time it from process start until a window with caption\n"
        "                  T of that process is visible, close it with the request (1,0) and\n"
        "                  wait for it to end; after one uncounted warm-up run, K times:\n"
        "                  startup: runs=.. median_ms=.. p90_ms=.. min_ms=.. max_ms=.. ...\n"
        "                  samples_ms=a,b,... (each counted run, in order)\n"
        "  --runs K        runs of --startup (default 10)\n"
        "  --quiet         print nothing\n"
        "  --help          this text\n"
        "\n"
        "With SendMessage the reply of the last delivery is printed as a decimal number.\n"
        "exit codes: 0 done, 1 usage, 2 window not found, 3 delivery failed,\n"
        "            4 a program started by --startup did not end when asked (killed)\n",
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

struct Options {
    bool post = false;
    bool info = false;
    bool paint = false;
    bool quiet = false;
    bool flood = false;
    bool bench = false;
    long count = 1;
    std::optional<std::wstring> startup;
    long runs = 10;
    std::optional<HWND> hwnd;
    std::wstring title = kDefaultTitle;
    std::int32_t request = 0;
    std::int32_t state = 0;
};

// Prints why the command line is wrong; false, for the parser to return.
bool wrong(const std::string& why) {
    std::fprintf(stderr, "zelt-host: %s\n", why.c_str());
    return false;
}

// The options read so far, and what only the checks of how they combine need.
struct CommandLine {
    Options options;
    bool repeat = false;
    bool runsGiven = false;
    std::vector<const char*> positional;
};

// Reads argv[i], and the value it takes (moving i past it), into line; false if it is wrong.
bool readArgument(int argc, char** argv, int& i, CommandLine& line) {
    Options& options = line.options;
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--post") {
        options.post = true;
    } else if (arg == "--info") {
        options.info = true;
    } else if (arg == "--paint") {
        options.paint = true;
    } else if (arg == "--quiet") {
        options.quiet = true;
    } else if (arg == "--repeat" || arg == "--flood" || arg == "--bench") {
        const auto count = parseCount(value());
        if (!count) return wrong(arg + " needs a count of 1 or more");
        (arg == "--flood" ? options.flood : arg == "--bench" ? options.bench : line.repeat) = true;
        options.count = *count;
    } else if (arg == "--runs") {
        const auto runs = parseCount(value());
        if (!runs) return wrong("--runs needs a count of 1 or more");
        options.runs = *runs;
        line.runsGiven = true;
    } else if (arg == "--startup") {
        const char* path = value();
        if (path == nullptr || *path == '\0') return wrong("--startup needs a program");
        options.startup = zelt::win32::toUtf16(path);
    } else if (arg == "--hwnd") {
        const auto handle = parseInteger(value(), 0);
        if (!handle || *handle == 0) return wrong("--hwnd needs a nonzero window handle");
        options.hwnd = reinterpret_cast<HWND>(static_cast<std::intptr_t>(*handle));
    } else if (arg == "--title") {
        const char* title = value();
        if (title == nullptr) return wrong("--title needs a caption");
        options.title = zelt::win32::toUtf16(title);
    } else if (arg == "--help" || arg == "-h") {
        printUsage(stdout);
        std::exit(kExitOk);
    } else if (arg.starts_with("--")) {
        return wrong("unknown option " + arg);
    } else if (line.positional.size() < 2) {
        line.positional.push_back(argv[i]);
    } else {
        return wrong("too many arguments");
    }
    return true;
}

// Checks that the options read go together, and reads the request pair when one is needed.
bool combine(CommandLine& line) {
    Options& options = line.options;
    if (options.flood && line.repeat) return wrong("--flood and --repeat exclude each other");
    if (options.info && options.paint) return wrong("--info and --paint exclude each other");
    const bool measuring = options.bench || options.startup;
    if (measuring && (options.bench + options.startup.has_value() + options.info + options.paint +
                          options.flood + line.repeat + options.post >
                      1)) {
        return wrong("--bench and --startup go with no other request option");
    }
    if (line.runsGiven && !options.startup) return wrong("--runs goes with --startup");
    const std::size_t needed = (options.info || options.paint || options.flood || measuring) ? 0 : 2;
    if (line.positional.size() != needed) {
        return wrong(needed == 0 ? "no request pair with --flood, --bench, --startup, --info or --paint"
                                 : "need a request and a state");
    }
    if (needed == 2) {
        const auto request = parseInt32(line.positional[0]);
        const auto state = parseInt32(line.positional[1]);
        if (!request || !state) return wrong("request and state are signed 32-bit integers");
        options.request = *request;
        options.state = *state;
    }
    return true;
}

// Returns the options, or nullopt after printing why the command line is wrong.
std::optional<Options> parseArguments(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        if (!readArgument(argc, argv, i, line)) return std::nullopt;
    }
    if (!combine(line)) return std::nullopt;
    return line.options;
}

// The receiver reads both parameters as signed 32-bit values; sign-extend them into the wider
// Win64 parameter types so that -1 reads as -1.
WPARAM asWParam(std::int32_t value) {
    return static_cast<WPARAM>(static_cast<LONG_PTR>(value));
}
LPARAM asLParam(std::int32_t value) {
    return static_cast<LPARAM>(value);
}

// PostMessage fails while the receiver's queue is full (10,000 messages); give it up to ten
// seconds to drain.
constexpr int kPostAttempts = 2000;
constexpr DWORD kPostRetryMs = 5;

bool postWithRetry(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    for (int attempt = 0; attempt < kPostAttempts; ++attempt) {
        if (PostMessageW(window, message, wParam, lParam)) return true;
        if (!IsWindow(window)) return false;
        Sleep(kPostRetryMs);
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
        std::printf("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
        std::fflush(stdout);
    }
    return kExitOk;
}

// Figures of a sample: the median, and percentiles by nearest rank.
struct Summary {
    double median = 0;
    double p90 = 0;
    double p99 = 0;
    double min = 0;
    double max = 0;
    double mean = 0;
};

Summary summarize(std::vector<double> samples) {
    Summary summary;
    if (samples.empty()) return summary;
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    auto rank = [&](double percent) {
        const auto index = static_cast<std::size_t>(std::ceil(percent / 100.0 * static_cast<double>(n)));
        return samples[std::clamp<std::size_t>(index, 1, n) - 1];
    };
    summary.median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    summary.p90 = rank(90);
    summary.p99 = rank(99);
    summary.min = samples.front();
    summary.max = samples.back();
    double total = 0;
    for (const double sample : samples) total += sample;
    summary.mean = total / static_cast<double>(n);
    return summary;
}

class Stopwatch {
  public:
    Stopwatch() {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        ticksPerSecond_ = static_cast<double>(frequency.QuadPart);
    }
    static std::int64_t now() {
        LARGE_INTEGER ticks;
        QueryPerformanceCounter(&ticks);
        return ticks.QuadPart;
    }
    double seconds(std::int64_t from, std::int64_t to) const {
        return static_cast<double>(to - from) / ticksPerSecond_;
    }

  private:
    double ticksPerSecond_ = 1;
};

// Enough requests for the receiver's first-time work (paths through the window manager, the
// port driver, the first paint) to be done before the counted ones. Even, so that the counted
// requests also begin with transmit.
constexpr long kBenchWarmup = 16;

int runBench(HWND window, UINT message, long count, bool quiet) {
    const Stopwatch stopwatch;
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(count));
    for (long i = 0; i < kBenchWarmup + count; ++i) {
        if (!IsWindow(window)) {
            std::fprintf(stderr, "zelt-host: the window went away after %ld requests\n", i);
            return kExitFailed;
        }
        const std::int32_t state = i % 2 == 0 ? 1 : 0;
        const std::int64_t start = Stopwatch::now();
        SendMessageW(window, message, asWParam(0), asLParam(state));
        const std::int64_t end = Stopwatch::now();
        if (i >= kBenchWarmup) micros.push_back(stopwatch.seconds(start, end) * 1e6);
    }
    const Summary s = summarize(std::move(micros));
    if (!quiet) {
        std::printf(
            "bench: N=%ld warmup=%ld median_us=%.1f p99_us=%.1f min_us=%.1f max_us=%.1f mean_us=%.1f\n",
            count, kBenchWarmup, s.median, s.p99, s.min, s.max, s.mean);
        std::fflush(stdout);
    }
    return kExitOk;
}

// The visible top-level window with this caption that belongs to the given process.
struct WindowSearch {
    const wchar_t* title;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window)) return TRUE;
    wchar_t caption[256];
    if (GetWindowTextW(window, caption, 256) <= 0 || std::wcscmp(caption, search.title) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

HWND visibleWindowOf(const PROCESS_INFORMATION& process, const std::wstring& title) {
    // FindWindowW answers quickly and is what a host does; the process check keeps a stray
    // window with the same caption from being counted.
    HWND window = FindWindowW(nullptr, title.c_str());
    if (window != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process.dwProcessId) return IsWindowVisible(window) ? window : nullptr;
    }
    WindowSearch search{title.c_str(), process.dwProcessId, nullptr};
    if (window != nullptr) EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct StartupRun {
    enum class Outcome { Ok, Refused, NoWindow, Killed } outcome = Outcome::Ok;
    double showMs = 0;
    double closeMs = 0;
    double workingSetKiB = 0;
    DWORD exitCode = 0;
};

constexpr DWORD kShowDeadlineMs = 60'000;
constexpr DWORD kEndDeadlineMs = 15'000;

StartupRun startOnce(const std::wstring& program, const std::wstring& title, UINT message) {
    const Stopwatch stopwatch;
    StartupRun run;
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;  // as a shell starts it
    PROCESS_INFORMATION process{};

    const std::int64_t start = Stopwatch::now();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "zelt-host: cannot start the program (error %lu)\n", GetLastError());
        run.outcome = StartupRun::Outcome::Refused;
        return run;
    }
    HWND window = nullptr;
    for (;;) {
        window = visibleWindowOf(process, title);
        if (window != nullptr) break;
        // Waiting on the process doubles as the 1 ms poll and notices a program that gave up.
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
        if (stopwatch.seconds(start, Stopwatch::now()) * 1000 > kShowDeadlineMs) break;
    }
    const std::int64_t shown = Stopwatch::now();
    run.showMs = stopwatch.seconds(start, shown) * 1000;

    if (window == nullptr) {
        run.outcome = StartupRun::Outcome::NoWindow;
    } else {
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (K32GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
            run.workingSetKiB = static_cast<double>(memory.WorkingSetSize) / 1024;
        }
        const std::int64_t closing = Stopwatch::now();
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, message, asWParam(1), asLParam(0), SMTO_NORMAL, kEndDeadlineMs, &ignored);
        const bool ended = WaitForSingleObject(process.hProcess, kEndDeadlineMs) == WAIT_OBJECT_0;
        run.closeMs = stopwatch.seconds(closing, Stopwatch::now()) * 1000;
        if (!ended) run.outcome = StartupRun::Outcome::Killed;
    }
    if (run.outcome != StartupRun::Outcome::Ok && WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, kKilledExitCode);
        WaitForSingleObject(process.hProcess, kEndDeadlineMs);
        if (run.outcome == StartupRun::Outcome::Ok) run.outcome = StartupRun::Outcome::Killed;
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

// One uncounted run first: it pays for loading the program and its DLLs from disk once.
constexpr long kStartupWarmup = 1;
// Wine now and then fails a start with ERROR_INTERNAL_ERROR when the new process dies while
// it is set up, before any of the program runs; such a start is tried again, and counted.
constexpr int kStartAttempts = 3;

StartupRun startAccepted(const std::wstring& program, const std::wstring& title, UINT message,
                         long& refused) {
    StartupRun run;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        run = startOnce(program, title, message);
        if (run.outcome != StartupRun::Outcome::Refused) break;
        ++refused;
    }
    return run;
}

int runStartup(const std::wstring& program, const std::wstring& title, long runs, bool quiet) {
    const UINT message = RegisterWindowMessageA(kMessageName);
    std::vector<double> show;
    std::vector<double> close;
    std::vector<double> workingSet;
    long killed = 0;
    long refused = 0;
    for (long i = 0; i < kStartupWarmup + runs; ++i) {
        const StartupRun run = startAccepted(program, title, message, refused);
        if (run.outcome == StartupRun::Outcome::Refused) {
            std::fprintf(stderr, "zelt-host: run %ld: the system refused to start the program %d times\n",
                         i + 1, kStartAttempts);
            return kExitNoWindow;
        }
        if (run.outcome == StartupRun::Outcome::NoWindow) {
            std::fprintf(stderr,
                         "zelt-host: run %ld: no visible window \"%ls\" after %.0f ms (exit code %lu)\n",
                         i + 1, title.c_str(), run.showMs, run.exitCode);
            return kExitNoWindow;
        }
        if (run.outcome == StartupRun::Outcome::Killed) {
            std::fprintf(stderr,
                         "zelt-host: run %ld: the program did not end within %lu ms of the close "
                         "request; killed\n",
                         i + 1, kEndDeadlineMs);
            ++killed;
        }
        if (i < kStartupWarmup) continue;
        show.push_back(run.showMs);
        close.push_back(run.closeMs);
        workingSet.push_back(run.workingSetKiB);
    }
    const Summary s = summarize(show);
    if (!quiet) {
        std::printf(
            "startup: runs=%ld warmup=%ld median_ms=%.1f p90_ms=%.1f min_ms=%.1f max_ms=%.1f "
            "close_median_ms=%.1f ws_median_kib=%.0f killed=%ld refused=%ld samples_ms=",
            runs, kStartupWarmup, s.median, s.p90, s.min, s.max, summarize(close).median,
            summarize(workingSet).median, killed, refused);
        // Every sample too, in run order, so that runs from several calls can be pooled.
        for (std::size_t i = 0; i < show.size(); ++i) std::printf(i == 0 ? "%.1f" : ",%.1f", show[i]);
        std::printf("\n");
        std::fflush(stdout);
    }
    return killed == 0 ? kExitOk : kExitKilled;
}

}  // namespace

int wmain(int argc, wchar_t** wideArgv) {
    // The arguments as UTF-8, so that a caption or a path in any script survives.
    std::vector<std::string> arguments;
    std::vector<char*> argv;
    arguments.reserve(static_cast<std::size_t>(argc));
    argv.reserve(static_cast<std::size_t>(argc));
    try {
        for (int i = 0; i < argc; ++i) arguments.push_back(zelt::win32::toUtf8(wideArgv[i]));
    } catch (...) {
        printUsage(stderr);
        return kExitUsage;
    }
    for (std::string& argument : arguments) argv.push_back(argument.data());
    std::optional<Options> parsed;
    try {
        parsed = parseArguments(argc, argv.data());
    } catch (...) {
        parsed.reset();  // a caption or path that is not valid text
    }
    if (!parsed) {
        printUsage(stderr);
        return kExitUsage;
    }
    const Options& options = *parsed;
    if (options.startup) return runStartup(*options.startup, options.title, options.runs, options.quiet);

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

    if (options.bench) return runBench(window, message, options.count, options.quiet);

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
