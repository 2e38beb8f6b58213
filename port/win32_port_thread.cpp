#include "port/win32_serial_port.h"

#include <utility>

namespace zelt::win32 {
namespace {

constexpr wchar_t kNotifyClass[] = L"ZeltPortThread";
constexpr UINT kJobEnded = WM_APP + 1;
// Long enough for a close still queued at the end, short enough that a stuck driver keeps no one
// waiting for the program to go.
constexpr DWORD kStopWaitMs = 250;

// Nothing may leave a job or its second part: a failure there is the job's own to report.
void runCaught(const std::function<void()>& part) noexcept {
    if (!part) return;
    try {
        part();
    } catch (...) {
        // The part has nowhere to report to.
    }
}

}  // namespace

PortThread::PortThread() : shared_(new Shared) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = notifyProc;
    wc.hInstance = instance;
    wc.lpszClassName = kNotifyClass;
    RegisterClassExW(&wc);  // fails harmlessly for a second port: the class is there
    shared_->notify =
        CreateWindowExW(0, kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (shared_->notify != nullptr) {
        SetWindowLongPtrW(shared_->notify, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    if (shared_->wake.get() != nullptr && shared_->ended.get() != nullptr && shared_->notify != nullptr) {
        thread_ = ScopedHandle(CreateThread(nullptr, 0, runThread, shared_, 0, nullptr));
    }
}

PortThread::~PortThread() {
    if (shared_->notify != nullptr) DestroyWindow(shared_->notify);
    if (thread_.get() == nullptr) {
        delete shared_;
        return;
    }
    AcquireSRWLockExclusive(&shared_->lock);
    shared_->stopping = true;
    shared_->notify = nullptr;
    ReleaseSRWLockExclusive(&shared_->lock);
    SetEvent(shared_->wake.get());
    const bool stopped = WaitForSingleObject(thread_.get(), kStopWaitMs) == WAIT_OBJECT_0;
    // A thread stuck in a driver keeps what it shares; the process's end takes both.
    if (stopped) delete shared_;
}

std::uint64_t PortThread::run(std::function<void()> job, std::function<void()> then) {
    const std::uint64_t number = ++lastNumber_;
    if (thread_.get() == nullptr) {
        runCaught(job);
        delivered_ = number;
        runCaught(then);
        return number;
    }
    Job queued{number, std::move(job), std::move(then)};
    AcquireSRWLockExclusive(&shared_->lock);
    try {
        shared_->queued.push_back(std::move(queued));
    } catch (...) {
        ReleaseSRWLockExclusive(&shared_->lock);
        throw;
    }
    ReleaseSRWLockExclusive(&shared_->lock);
    SetEvent(shared_->wake.get());
    return number;
}

bool PortThread::waitFor(std::uint64_t number, std::uint32_t milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        deliver();
        if (delivered_ >= number) return true;
        const ULONGLONG now = GetTickCount64();
        if (thread_.get() == nullptr || now >= deadline) return false;
        WaitForSingleObject(shared_->ended.get(), static_cast<DWORD>(deadline - now));
    }
}

// Jobs run in order; the queue is drained before the thread stops, so a close asked for at the end
// still happens.
DWORD WINAPI PortThread::runThread(void* parameter) {
    auto* shared = static_cast<Shared*>(parameter);
    for (;;) {
        AcquireSRWLockExclusive(&shared->lock);
        const bool idle = shared->queued.empty();
        const bool stopping = shared->stopping;
        Job job;
        if (!idle) {
            job = std::move(shared->queued.front());
            shared->queued.erase(shared->queued.begin());
        }
        ReleaseSRWLockExclusive(&shared->lock);
        if (idle && stopping) return 0;
        if (idle) {
            WaitForSingleObject(shared->wake.get(), INFINITE);
            continue;
        }
        runCaught(job.work);
        job.work = nullptr;
        AcquireSRWLockExclusive(&shared->lock);
        HWND notify = shared->notify;
        bool kept = true;
        try {
            shared->ended_jobs.push_back(std::move(job));
        } catch (...) {
            kept = false;  // out of memory: the second part is lost, the job has run
        }
        ReleaseSRWLockExclusive(&shared->lock);
        SetEvent(shared->ended.get());
        if (kept && notify != nullptr) PostMessageW(notify, kJobEnded, 0, 0);
    }
}

// One second part at a time, so that one which shows a message box (and so runs the message loop
// again) leaves the next to be told in order.
void PortThread::deliver() {
    for (;;) {
        AcquireSRWLockExclusive(&shared_->lock);
        if (shared_->ended_jobs.empty()) {
            ReleaseSRWLockExclusive(&shared_->lock);
            return;
        }
        Job job = std::move(shared_->ended_jobs.front());
        shared_->ended_jobs.erase(shared_->ended_jobs.begin());
        ReleaseSRWLockExclusive(&shared_->lock);
        delivered_ = job.number;
        runCaught(job.then);
    }
}

LRESULT CALLBACK PortThread::notifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kJobEnded) {
        auto* self = reinterpret_cast<PortThread*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr) self->deliver();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace zelt::win32
