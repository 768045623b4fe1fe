// What the tests of the printer properties automation share with the stand-in rundll32
// (standin_rundll32): which properties windows it opens, and where it is put.
#pragma once

#include <string>

namespace testing_support {

// Which properties windows the stand-in opens for the printer named after /n: "en" (default,
// "<name> Properties"), "zh" ("<name> 属性") or "both". Each has a SysTabControl32 of three tabs
// and logs "selected:<title>=<index>" when its selection changes.
constexpr wchar_t kPropertiesTitlesVariable[] = L"VELTO_RUNDLL32_TITLES";

void SetPropertiesTitles(const std::wstring& which);

// Puts the stand-in as rundll32.exe into the system directory of this process's Wine prefix,
// with a DLL override so that Wine loads it instead of its built-in rundll32.
// The prefix's file is a hard link into the template, so it is removed, never written through.
bool PlaceRundll32Standin();

// Puts a copy of the stand-in as dir\rundll32.exe: a planted program that must never run.
bool PlantRundll32(const std::wstring& dir);

// The index that the window with this title logged last, or -1 when it logged none.
int LoggedSelection(const std::wstring& logPath, const std::wstring& title);

}  // namespace testing_support
