// The few system services of an installation whose failures Wine cannot produce on demand: the
// version query and the native architecture, the spooler's driver directory, and the spooler
// accepting a driver or a queue. Everything else (files, enumeration, default printer) is called
// directly. Tests derive from Win32InstallPlatform and override one answer.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

class InstallPlatform {
public:
    virtual ~InstallPlatform() = default;

    // The processor-architecture code of the native system information.
    virtual WORD NativeArchitecture() = 0;
    // GetVersionExW into a zeroed plain version record; false when the query fails.
    virtual bool QueryVersion(OSVERSIONINFOW& version) = 0;
    // The spooler's printer-driver directory for an environment; false when it has none to give.
    virtual bool DriverDirectory(const std::wstring& environment, std::wstring& directory) = 0;
    // Registers a level-3 driver record; ERROR_SUCCESS or the spooler's error code.
    virtual DWORD AddDriver(DRIVER_INFO_3W& driver) = 0;
    // Creates a queue from a level-2 record; the open printer handle, or null with error set.
    virtual HANDLE AddQueue(PRINTER_INFO_2W& printer, DWORD& error) = 0;
};

class Win32InstallPlatform : public InstallPlatform {
public:
    WORD NativeArchitecture() override;
    bool QueryVersion(OSVERSIONINFOW& version) override;
    bool DriverDirectory(const std::wstring& environment, std::wstring& directory) override;
    DWORD AddDriver(DRIVER_INFO_3W& driver) override;
    HANDLE AddQueue(PRINTER_INFO_2W& printer, DWORD& error) override;
};

// The one instance a catalogue uses when it was given none.
InstallPlatform& SystemInstallPlatform();
