#include "ui/win32_cues.h"

#include <mmsystem.h>

#include <cstdint>
#include <string>
#include <utility>

#include "common/failure.h"
#include "common/win32_text.h"
#include "resources/resource_ids.h"

namespace zelt::win32 {

CueSound::CueSound() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (wake_.get() == nullptr) failed_ = GetLastError() != 0 ? GetLastError() : ERROR_GEN_FAILURE;
}

CueSound::~CueSound() {
    if (player_.get() != nullptr) {
        AcquireSRWLockExclusive(&lock_);
        stopping_ = true;
        ReleaseSRWLockExclusive(&lock_);
        SetEvent(wake_.get());
        WaitForSingleObject(player_.get(), INFINITE);
    }
}

// Only the newest cue waiting is played: one that a quicker change made stale is dropped. The player
// starts with the first cue: started with the window, its thread cost start-up 6 ms under Wine, and
// most runs play no cue. One that cannot be started is reported then, and zelt runs on without sound.
void CueSound::play(const std::vector<std::uint8_t>& wave) {
    if (!started_ && wake_.get() != nullptr) {
        started_ = true;
        player_ = ScopedHandle(CreateThread(nullptr, 0, runPlayer, this, 0, nullptr));
        if (player_.get() == nullptr) failed_ = GetLastError() != 0 ? GetLastError() : ERROR_GEN_FAILURE;
    }
    if (const DWORD error = failed_.exchange(0); error != 0) {
        throwError(error, "the sound could not be played");
    }
    if (player_.get() == nullptr) return;
    std::vector<std::uint8_t> copy = wave;  // made before the lock, which the player holds briefly
    AcquireSRWLockExclusive(&lock_);
    next_ = std::move(copy);
    ReleaseSRWLockExclusive(&lock_);
    SetEvent(wake_.get());
}

DWORD WINAPI CueSound::runPlayer(void* self) {
    static_cast<CueSound*>(self)->run();
    return 0;
}

// The image played stays here until the next one: PlaySound reads it while the sound plays.
void CueSound::run() {
    std::vector<std::uint8_t> playing;
    for (;;) {
        WaitForSingleObject(wake_.get(), INFINITE);
        AcquireSRWLockExclusive(&lock_);
        const bool stopping = stopping_;
        std::vector<std::uint8_t> wave = std::exchange(next_, {});
        ReleaseSRWLockExclusive(&lock_);
        if (stopping) break;
        if (wave.empty()) continue;
        PlaySoundW(nullptr, nullptr, 0);  // the sound still playing stops before its image goes
        playing = std::move(wave);
        if (PlaySoundW(reinterpret_cast<LPCWSTR>(playing.data()), nullptr,
                       SND_MEMORY | SND_ASYNC | SND_NODEFAULT) == FALSE) {
            const DWORD error = GetLastError();
            failed_ = error != 0 ? error : ERROR_GEN_FAILURE;
        }
    }
    PlaySoundW(nullptr, nullptr, 0);
}

namespace {

// "what (HRESULT 0x80004001)".
[[noreturn]] void throwResult(HRESULT result, const char* what) {
    throw Failure(static_cast<std::int32_t>(result), std::string(what) + " (" + hresultText(result) + ")");
}

}  // namespace

TaskbarButton::TaskbarButton(HWND window) : window_(window) {
    // Run as administrator, the window would not hear from the taskbar, which runs as the user.
    const UINT created = buttonCreatedMessage();
    if (created != 0) ChangeWindowMessageFilterEx(window_, created, MSGFLT_ALLOW, nullptr);
}

UINT TaskbarButton::buttonCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

void TaskbarButton::connect() {
    list_.reset();
    ITaskbarList3* made = nullptr;
    const HRESULT result = CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_ITaskbarList3, reinterpret_cast<void**>(&made));
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
