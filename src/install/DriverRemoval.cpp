#include "install/DriverRemoval.h"

#include "win32/ErrorText.h"
#include "win32/Handles.h"
#include "win32/Text.h"

#include <windows.h>
#include <winspool.h>

#include <memory>
#include <cwchar>
#include <new>

namespace {

// As after the install's spooler changes: the spooler applies a deletion asynchronously on some
// systems, and the driver cannot go while it still counts a printer on it.
const DWORD kSpoolerSettleMs = 111;

// The version the install registers (cVersion 3, the user-mode driver model).
const DWORD kDriverVersion = 3;

struct RegisteredDriver {
    std::wstring name;
    DWORD version = 0;
    std::vector<std::wstring> files;  // full paths
};

bool EnumerateQueues(std::vector<removal::QueueOnDriver>& queues, DWORD& error)
{
    DWORD needed = 0, count = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed + 4]);
    if (!block) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    if (!::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, block.get(), needed, &needed, &count)) {
        error = ::GetLastError();
        return false;
    }
    const PRINTER_INFO_2W* printers = reinterpret_cast<const PRINTER_INFO_2W*>(block.get());
    for (DWORD i = 0; i < count; ++i) {
        queues.push_back({printers[i].pPrinterName ? printers[i].pPrinterName : L"",
                          printers[i].pDriverName ? printers[i].pDriverName : L""});
    }
    return true;
}

std::wstring VersionFolder(const std::wstring& environment)
{
    std::wstring env = environment;
    wchar_t directory[MAX_PATH] = {};
    DWORD needed = 0;
    if (!::GetPrinterDriverDirectoryW(nullptr, &env[0], 1, reinterpret_cast<BYTE*>(directory), sizeof(directory),
                                      &needed))
        return std::wstring();
    return win32::Format(L"%ls\\%lu", directory, kDriverVersion);
}

bool EnumerateDrivers(const std::wstring& environment, std::vector<RegisteredDriver>& drivers, DWORD& error)
{
    std::wstring env = environment;
    DWORD needed = 0, count = 0;
    ::EnumPrinterDriversW(nullptr, &env[0], 3, nullptr, 0, &needed, &count);
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed + 4]);
    if (!block) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    if (!::EnumPrinterDriversW(nullptr, &env[0], 3, block.get(), needed, &needed, &count)) {
        error = ::GetLastError();
        return false;
    }
    const std::wstring versionFolder = VersionFolder(environment);
    const DRIVER_INFO_3W* records = reinterpret_cast<const DRIVER_INFO_3W*>(block.get());
    for (DWORD i = 0; i < count; ++i) {
        RegisteredDriver driver;
        driver.name = records[i].pName ? records[i].pName : L"";
        driver.version = records[i].cVersion;
        for (const wchar_t* file : {records[i].pDriverPath, records[i].pDataFile, records[i].pConfigFile,
                                    records[i].pHelpFile}) {
            if (file && *file) driver.files.push_back(removal::FullDriverFilePath(file, versionFolder));
        }
        for (const wchar_t* file = records[i].pDependentFiles; file && *file; file += wcslen(file) + 1)
            driver.files.push_back(removal::FullDriverFilePath(file, versionFolder));
        drivers.push_back(driver);
    }
    return true;
}

bool DeleteQueue(const std::wstring& name, DWORD& error)
{
    std::wstring printerName = name;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    win32::UniquePrinter printer;
    if (!::OpenPrinterW(&printerName[0], printer.put(), &defaults)) {
        error = ::GetLastError();
        return false;
    }
    // A printer with jobs waiting is only marked for deletion and keeps the driver in use:
    // receipts queued for a printer that is being removed are not worth keeping.
    ::SetPrinterW(printer.get(), 0, nullptr, PRINTER_CONTROL_PURGE);
    if (!::DeletePrinter(printer.get())) {
        error = ::GetLastError();
        return false;
    }
    return true;
}

}  // namespace

namespace removal {

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring> PrintersUsingDriver(const std::vector<QueueOnDriver>& queues, const std::wstring& driverName)
{
    std::vector<std::wstring> printers;
    for (const QueueOnDriver& queue : queues)
        if (SameName(queue.driver, driverName)) printers.push_back(queue.printer);
    return printers;
}

std::wstring FullDriverFilePath(const std::wstring& file, const std::wstring& versionFolder)
{
    if (file.find(L'\\') != std::wstring::npos || versionFolder.empty()) return file;
    return versionFolder + L"\\" + file;
}

std::vector<std::wstring> FilesNoOtherDriverUses(const std::vector<std::wstring>& removedFiles,
                                                 const std::vector<std::vector<std::wstring>>& otherDrivers)
{
    std::vector<std::wstring> unused;
    for (const std::wstring& file : removedFiles) {
        bool used = false;
        for (const std::vector<std::wstring>& other : otherDrivers)
            for (const std::wstring& otherFile : other) used = used || SameName(file, otherFile);
        for (const std::wstring& already : unused) used = used || SameName(file, already);
        if (!used) unused.push_back(file);
    }
    return unused;
}

}  // namespace removal

std::wstring DriverEnvironment(const char* archName)
{
    return archName && std::string(archName) == "x64" ? L"Windows x64" : L"Windows NT x86";
}

RemovalOutcome RemovePrinterDriver(const std::wstring& driverName, const std::wstring& environment,
                                   const RemovalReport& report)
{
    DWORD error = ERROR_SUCCESS;
    std::vector<removal::QueueOnDriver> queues;
    if (!EnumerateQueues(queues, error)) {
        report(L"The printers cannot be listed: " + win32::ErrorText(error));
        return RemovalOutcome::Failed;
    }
    std::vector<RegisteredDriver> drivers;
    if (!EnumerateDrivers(environment, drivers, error)) {
        report(L"The printer drivers of " + environment + L" cannot be listed: " + win32::ErrorText(error));
        return RemovalOutcome::Failed;
    }

    const std::vector<std::wstring> printers = removal::PrintersUsingDriver(queues, driverName);
    const RegisteredDriver* driver = nullptr;
    std::vector<std::vector<std::wstring>> otherDriversFiles;
    for (const RegisteredDriver& d : drivers) {
        if (!driver && d.version == kDriverVersion && removal::SameName(d.name, driverName)) {
            driver = &d;
        } else {
            otherDriversFiles.push_back(d.files);
        }
    }

    if (printers.empty() && !driver) {
        report(L"Nothing to remove: no printer driver " + driverName + L" (" + environment +
               L", version 3) is installed and no printer uses one.");
        return RemovalOutcome::NothingToRemove;
    }

    bool allPrintersDeleted = true;
    for (const std::wstring& printer : printers) {
        if (DeleteQueue(printer, error)) {
            report(L"Deleted the printer " + printer + L".");
        } else {
            report(L"The printer " + printer + L" cannot be deleted: " + win32::ErrorText(error));
            allPrintersDeleted = false;
        }
    }
    if (!printers.empty()) ::Sleep(kSpoolerSettleMs);
    if (!allPrintersDeleted) {
        report(L"The printer driver " + driverName + L" stays: a printer still uses it.");
        return RemovalOutcome::Failed;
    }
    if (!driver) {
        report(L"No printer driver " + driverName + L" (" + environment + L", version 3) is installed.");
        return RemovalOutcome::Removed;
    }

    std::wstring env = environment;
    std::wstring name = driver->name;
    bool deleted = ::DeletePrinterDriverExW(nullptr, &env[0], &name[0],
                                            DPD_DELETE_UNUSED_FILES | DPD_DELETE_SPECIFIC_VERSION, kDriverVersion);
    error = deleted ? ERROR_SUCCESS : ::GetLastError();
    if (!deleted && error == ERROR_INVALID_PARAMETER) {
        // Wine's spooler knows no delete flags and refuses them; without flags it deletes the
        // registration of the name, and the files are handled below.
        deleted = ::DeletePrinterDriverExW(nullptr, &env[0], &name[0], 0, 0);
        if (!deleted) error = ::GetLastError();
    }
    if (!deleted) {
        report(L"The printer driver " + driverName + L" cannot be deleted: " + win32::ErrorText(error));
        return RemovalOutcome::Failed;
    }
    ::Sleep(kSpoolerSettleMs);
    report(L"Deleted the printer driver " + driverName + L" (" + environment + L", version 3).");

    // Windows has deleted the files no other driver uses by now; a spooler that keeps them (Wine
    // does) leaves them to this check, which keeps every file another driver still names.
    for (const std::wstring& file : removal::FilesNoOtherDriverUses(driver->files, otherDriversFiles)) {
        if (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (::DeleteFileW(file.c_str())) {
            report(L"Deleted the driver file " + file + L".");
        } else {
            error = ::GetLastError();
            // A file the spooler still has loaded goes at its next restart; the driver is gone.
            report(L"The driver file " + file + L" stays: " + win32::ErrorText(error));
        }
    }
    return RemovalOutcome::Removed;
}
