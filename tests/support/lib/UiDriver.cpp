#include "support/lib/UiDriver.h"

#include "support/lib/WineHost.h"
#include "win32/Handles.h"

#include <string>
#include <vector>

namespace testing_support {

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr int kMessageBoxTextId = 0xFFFF;

bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result)
{
    result = 0;
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                                 &result) != 0;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

struct Search {
    DWORD processId;
    const std::wstring* title;     // null: any title
    const wchar_t* className;      // null: any class
    bool wantMessageBox;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param)
{
    Search& search = *reinterpret_cast<Search*>(param);
    if (!::IsWindowVisible(window)) return TRUE;
    if (search.processId) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner != search.processId) return TRUE;
    }
    if (search.className && ClassOf(window) != search.className) return TRUE;
    if (search.title && WindowText(window) != *search.title) return TRUE;
    if (search.wantMessageBox &&
        (ClassOf(window) != L"#32770" || !::GetDlgItem(window, kMessageBoxTextId)))
        return TRUE;
    search.found = window;
    return FALSE;
}

HWND Find(Search search)
{
    ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(kPollStepMs);
    }
}

HWND FindTopWindow(DWORD processId, const std::wstring& title, const wchar_t* className)
{
    return Find(Search{processId, &title, className, false, nullptr});
}

HWND WaitForTopWindow(DWORD processId, const std::wstring& title, DWORD timeoutMs, const wchar_t* className)
{
    HWND found = nullptr;
    PollUntil([&] { return (found = FindTopWindow(processId, title, className)) != nullptr; }, timeoutMs);
    return found;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    return PollUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); }, timeoutMs);
}

std::wstring WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendBounded(window, WM_GETTEXTLENGTH, 0, 0, length)) return {};
    std::vector<wchar_t> text(length + 1);
    DWORD_PTR copied = 0;
    if (!SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied)) return {};
    return std::wstring(text.data(), copied);
}

std::wstring ControlText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

bool ControlVisible(HWND dialog, int id)
{
    HWND control = ::GetDlgItem(dialog, id);
    return control && (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool ControlEnabled(HWND dialog, int id)
{
    HWND control = ::GetDlgItem(dialog, id);
    return control && ::IsWindowEnabled(control);
}

bool ControlChecked(HWND dialog, int id)
{
    DWORD_PTR state = 0;
    return SendBounded(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, state) && state == BST_CHECKED;
}

void Click(HWND dialog, int id) { ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void DoubleClick(HWND dialog, int id)
{
    ::PostMessageW(::GetDlgItem(dialog, id), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
}

bool WaitForMessageBox(DWORD processId, MessageBoxSeen& box, DWORD timeoutMs)
{
    HWND found = nullptr;
    if (!PollUntil([&] { return (found = Find(Search{processId, nullptr, nullptr, true, nullptr})) != nullptr; },
                   timeoutMs))
        return false;
    box.window = found;
    box.caption = WindowText(found);
    box.text = ControlText(found, kMessageBoxTextId);
    return true;
}

bool NoMessageBoxWithin(DWORD processId, DWORD ms)
{
    MessageBoxSeen ignored;
    return !WaitForMessageBox(processId, ignored, ms);
}

bool Answer(const MessageBoxSeen& box, int buttonId)
{
    ::PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    return WaitForWindowGone(box.window);
}

bool SaveScreenshot(const std::wstring& bmpPath)
{
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    win32::WindowDc screen(nullptr);
    win32::UniqueDc memory(::CreateCompatibleDC(screen.get()));
    if (!screen.get() || !memory) return false;

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as BMP files store rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* bits = nullptr;
    win32::UniqueBitmap bitmap(::CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&header),
                                                  DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return false;
    {
        win32::SelectedObject selected(memory.get(), bitmap.get());
        if (!::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY)) return false;
    }
    ::GdiFlush();

    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD imageBytes = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + imageBytes;
    header.biSizeImage = imageBytes;

    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(static_cast<const char*>(bits), imageBytes);
    return WriteFileBytes(bmpPath, bytes);
}

}  // namespace testing_support
