// Driving a program's windows from a test, as an operator would: find windows by title, click
// controls by id, read and answer message boxes. Every wait polls in 50 ms steps with a bound.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testing_support {

constexpr DWORD kPollStepMs = 50;
constexpr DWORD kUiTimeoutMs = 10000;

// Polls condition every 50 ms until it holds (true) or timeoutMs has passed (false).
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs = kUiTimeoutMs);

// A visible top-level window of processId (0: any process) with exactly this title, and of
// className when that is given; null when none.
HWND FindTopWindow(DWORD processId, const std::wstring& title, const wchar_t* className = nullptr);
HWND WaitForTopWindow(DWORD processId, const std::wstring& title, DWORD timeoutMs = kUiTimeoutMs,
                      const wchar_t* className = nullptr);
bool WaitForWindowGone(HWND window, DWORD timeoutMs = kUiTimeoutMs);

// Reads of another process's windows; each message is bounded, so a hung program fails the test
// instead of hanging it.
std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int id);
bool ControlVisible(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
bool ControlChecked(HWND dialog, int id);  // BM_GETCHECK == BST_CHECKED

// Posted, so they return at once even when the click opens a modal message box.
void Click(HWND dialog, int id);        // BM_CLICK
void DoubleClick(HWND dialog, int id);  // WM_LBUTTONDBLCLK on the control

struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;  // the box's static text (id 0xFFFF)
};

// A message box of processId: a visible top-level dialog (#32770) with a static text 0xFFFF.
bool WaitForMessageBox(DWORD processId, MessageBoxSeen& box, DWORD timeoutMs = kUiTimeoutMs);
// True when no message box of processId shows within ms.
bool NoMessageBoxWithin(DWORD processId, DWORD ms);
// Presses a button of the box (IDOK, IDYES, IDNO) and waits until the box has gone.
bool Answer(const MessageBoxSeen& box, int buttonId);

// The whole screen as a 24-bit BMP file.
bool SaveScreenshot(const std::wstring& bmpPath);

}  // namespace testing_support
