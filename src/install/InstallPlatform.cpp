#include "install/InstallPlatform.h"

#include <vector>

WORD Win32InstallPlatform::NativeArchitecture()
{
    // The native view: a 32-bit process on 64-bit Windows must still see the 64-bit machine.
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

bool Win32InstallPlatform::QueryVersion(OSVERSIONINFOW& version)
{
    version = OSVERSIONINFOW{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    return ::GetVersionExW(&version) != FALSE;
}

bool Win32InstallPlatform::DriverDirectory(const std::wstring& environment, std::wstring& directory)
{
    directory.clear();
    // Ask for the size first: a fixed buffer could cut a long directory short.
    DWORD needed = 0;
    ::GetPrinterDriverDirectoryW(nullptr, const_cast<LPWSTR>(environment.c_str()), 1, nullptr, 0, &needed);
    if (needed < sizeof(wchar_t)) return false;
    std::vector<wchar_t> buffer(needed / sizeof(wchar_t) + 1, L'\0');
    if (!::GetPrinterDriverDirectoryW(nullptr, const_cast<LPWSTR>(environment.c_str()), 1,
                                      reinterpret_cast<LPBYTE>(buffer.data()),
                                      static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), &needed))
        return false;
    directory = buffer.data();
    return !directory.empty();
}

DWORD Win32InstallPlatform::AddDriver(DRIVER_INFO_3W& driver)
{
    if (::AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver))) return ERROR_SUCCESS;
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

HANDLE Win32InstallPlatform::AddQueue(PRINTER_INFO_2W& printer, DWORD& error)
{
    HANDLE handle = ::AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    error = handle ? ERROR_SUCCESS : ::GetLastError();
    if (!handle && error == ERROR_SUCCESS) error = ERROR_GEN_FAILURE;
    return handle;
}

InstallPlatform& SystemInstallPlatform()
{
    static Win32InstallPlatform platform;
    return platform;
}
