// Error codes as the operator reads them: the number always, the system's text when it has one.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// The system's text for an error code (FormatMessageW, user's default language), without the
// trailing line break; empty when the system has none (Wine lacks many printer codes).
std::wstring SystemMessage(DWORD code);

// "[0x00000705] The printer driver is unknown." or, without a system text, "[0x00000705]".
std::wstring ErrorText(DWORD code);

}  // namespace win32
