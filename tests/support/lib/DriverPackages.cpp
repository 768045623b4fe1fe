#include "support/lib/DriverPackages.h"

#include "support/lib/WineHost.h"

#include <windows.h>

#include <algorithm>

namespace testing_support {

namespace {

bool IsOmitted(const std::vector<std::wstring>& omit, const std::wstring& relativePath)
{
    return std::any_of(omit.begin(), omit.end(), [&](const std::wstring& entry) {
        return ::CompareStringOrdinal(entry.c_str(), -1, relativePath.c_str(), -1, TRUE) == CSTR_EQUAL;
    });
}

}  // namespace

const std::vector<std::wstring>& DriverFileNames()
{
    static const std::vector<std::wstring> names = {
        L"POS80.DLL",  L"POS58.DLL",    L"POS80C.GPD", L"POS80.GPD",  L"POS58.GPD",   L"UNIDRV.DLL",
        L"UNIDRVUI.DLL", L"UNIRES.DLL", L"UNIDRV.HLP", L"TTFSUB.GPD", L"STDNAMES.GPD",
    };
    return names;
}

bool MakeDriverPackages(const std::wstring& workDir, const std::vector<std::wstring>& omit)
{
    bool ok = true;
    for (const wchar_t* folder : {L"Windows NT x86", L"Windows x64"}) {
        if (IsOmitted(omit, folder)) continue;
        const std::wstring dir = workDir + L"\\" + folder;
        if (!::CreateDirectoryW(dir.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            ok = false;
            continue;
        }
        for (const std::wstring& name : DriverFileNames()) {
            const std::wstring relative = std::wstring(folder) + L"\\" + name;
            if (IsOmitted(omit, relative)) continue;
            std::string text = "Placeholder for ";
            for (wchar_t c : relative) text += static_cast<char>(c);
            text += ", a test file, not a driver.\r\n";
            ok = WriteFileBytes(dir + L"\\" + name, text) && ok;
        }
    }
    return ok;
}

}  // namespace testing_support
