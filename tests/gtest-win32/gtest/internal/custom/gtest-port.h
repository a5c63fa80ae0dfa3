#pragma once

// GoogleTest's own hook for platform pieces. The Windows build uses MinGW's
// win32 thread model, which has no std::mutex or std::condition_variable, and
// GoogleTest's Notification is built on them: this one is a Win32 event.
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;  // owned; a manual-reset event, set once
};

}  // namespace testing::internal
