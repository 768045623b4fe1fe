// Conversions between UTF-16 and the thread's ANSI code page, and printf-style formatting.
#pragma once

#include <string>

namespace win32 {

// UTF-16 to the thread's ANSI code page (CP_THREAD_ACP). Characters the code page cannot hold
// become its default character. Sized by asking the system first, so multi-byte code pages fit.
std::string ToAnsi(const std::wstring& text);

// The thread's ANSI code page to UTF-16. Returns false (and leaves out empty) when the text does
// not convert.
bool FromAnsi(const std::string& text, std::wstring& out);
std::wstring FromAnsi(const std::string& text);

// swprintf into a string of the needed size.
std::wstring Format(const wchar_t* format, ...);
std::string FormatA(const char* format, ...);

}  // namespace win32
