#include "win32/Text.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace win32 {

std::string ToAnsi(const std::wstring& text)
{
    if (text.empty()) return {};
    const int wideLength = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), wideLength, nullptr, 0,
                                           nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), wideLength, out.data(), size, nullptr,
                          nullptr);
    return out;
}

bool FromAnsi(const std::string& text, std::wstring& out)
{
    out.clear();
    if (text.empty()) return true;
    const int narrowLength = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), narrowLength, nullptr, 0);
    if (size <= 0) return false;
    out.assign(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), narrowLength, out.data(), size);
    return true;
}

std::wstring FromAnsi(const std::string& text)
{
    std::wstring out;
    FromAnsi(text, out);
    return out;
}

// NOLINTNEXTLINE(cert-dcl50-cpp): printf-style on purpose, the formats of the traces and texts are printf formats
std::wstring Format(const wchar_t* format, ...)
{
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int n = std::vswprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size()) return std::wstring(buffer.data(), n);
        if (buffer.size() > (1u << 24)) return {};
        buffer.resize(buffer.size() * 4);
    }
}

// NOLINTNEXTLINE(cert-dcl50-cpp): printf-style on purpose, the formats of the traces and texts are printf formats
std::string FormatA(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

}  // namespace win32
