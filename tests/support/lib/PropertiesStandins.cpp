#include "support/lib/PropertiesStandins.h"

#include "support/lib/SerialStandins.h"
#include "support/lib/WineHost.h"

#include <windows.h>

#include <vector>

namespace testing_support {

void SetPropertiesTitles(const std::wstring& which)
{
    ::SetEnvironmentVariableW(kPropertiesTitlesVariable, which.c_str());
}

bool PlaceRundll32Standin()
{
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    const UINT n = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return false;
    const std::wstring target = std::wstring(buffer.data(), n) + L"\\rundll32.exe";
    ::DeleteFileW(target.c_str());
    if (!::CopyFileW(StandinPath(L"standin_rundll32").c_str(), target.c_str(), TRUE)) return false;
    // Wine runs its own built-in program for any file of the system directory unless told to
    // load the file that is there.
    const wchar_t native[] = L"native";
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"rundll32.exe", REG_SZ, native,
                             sizeof native) == ERROR_SUCCESS;
}

bool PlantRundll32(const std::wstring& dir)
{
    const std::wstring target = dir + L"\\rundll32.exe";
    ::DeleteFileW(target.c_str());
    return ::CopyFileW(StandinPath(L"standin_rundll32").c_str(), target.c_str(), TRUE) != 0;
}

int LoggedSelection(const std::wstring& logPath, const std::wstring& title)
{
    const auto entries = ReadStandinLog(logPath);
    const auto found = entries.find(L"selected:" + title);
    if (found == entries.end() || found->second.empty()) return -1;
    return std::stoi(found->second.back());
}

}  // namespace testing_support
