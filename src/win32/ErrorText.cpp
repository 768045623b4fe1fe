#include "win32/ErrorText.h"

#include "win32/Handles.h"

#include <cwchar>

namespace win32 {

std::wstring SystemMessage(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer),
        0, nullptr);
    UniqueLocal owner(buffer);
    if (length == 0 || buffer == nullptr) return {};
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::wstring ErrorText(DWORD code)
{
    wchar_t number[16];
    std::swprintf(number, 16, L"[0x%08lX]", static_cast<unsigned long>(code));
    std::wstring text = number;
    const std::wstring message = SystemMessage(code);
    if (!message.empty()) text += L" " + message;
    return text;
}

}  // namespace win32
