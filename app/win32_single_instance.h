#pragma once

#include <windows.h>

namespace zelt::win32 {

// One zelt per desktop. A second zelt could not open the radio's port, yet it would carry the same
// caption, and a host that finds zelt by its caption could talk to the copy without the radio. The
// first zelt of a session holds a named mutex in the session's Local\ namespace; a later one finds
// it, hands over to the first zelt's window and ends, having opened no port and stored nothing.
// Each session has a namespace of its own, so two users each run their own zelt.
class SingleInstance {
  public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Whether another zelt runs in this session.
    bool another() const { return another_; }
    // Asks the other zelt to come to the front. Waits on nothing it does: the request is posted.
    void handOver() const noexcept;

    // The message the first zelt's window gets for each start turned away; 0 if it could not be
    // registered. The window lets it through the filter of an elevated zelt.
    static UINT handOverMessage();
    static void allowHandOver(HWND window) noexcept;
    // The first zelt's side: restored if minimized, and brought to the front.
    static void comeToFront(HWND window) noexcept;

  private:
    HANDLE mutex_ = nullptr;
    bool another_ = false;
};

}  // namespace zelt::win32
