#include "install/DriverPackage.h"

#include "win32/Text.h"

#include <algorithm>

const wchar_t kDriverRefusedText[] = L"Install printer driver failed !";

std::vector<std::wstring> StagedFileNames(const std::wstring& dllName, const std::wstring& gpdName)
{
    return {dllName,      gpdName,      L"UNIDRV.DLL", L"UNIDRVUI.DLL",
            L"UNIRES.DLL", L"UNIDRV.HLP", L"TTFSUB.GPD", L"STDNAMES.GPD"};
}

std::wstring DependentFiles(const std::wstring& dllName)
{
    std::wstring files = win32::Format(L"TTFSUB.GPD\nSTDNAMES.GPD\nUNIRES.DLL\n%ls\n\n\n\n", dllName.c_str());
    std::replace(files.begin(), files.end(), L'\n', L'\0');
    return files;
}

const wchar_t* StagingFailureText(int osIndex)
{
    return osIndex < 3 ? L"Malfunction !" : L"Malfunction !\nPls try using <Run as administrator>open this App";
}
