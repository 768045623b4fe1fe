// The installation operations of the catalogue: stage the driver files, register the driver,
// create the uniquely named queue, remove the staged files, set the default printer.
#include "catalogue/ModelCatalogue.h"

#include "framework/MessageBox.h"
#include "install/DriverPackage.h"
#include "install/InstallPlatform.h"
#include "install/UniqueName.h"
#include "win32/ErrorText.h"
#include "win32/Handles.h"
#include "win32/Text.h"
#include "win32/Trace.h"

#include <windows.h>
#include <winspool.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// The spooler applies driver and queue changes asynchronously on some systems; each change is
// followed by this pause before the next call relies on it.
const DWORD kSpoolerSettleMs = 111;

const size_t kMaxNameTraces = 4096;

void DeleteStagedFiles(const std::wstring& directory, const std::vector<std::wstring>& names)
{
    for (const std::wstring& name : names) ::DeleteFileW((directory + L"\\" + name).c_str());
}

}  // namespace

bool ModelCatalogue::InstallPrinter(int osIndex, int modelIndex, int setDefault, const std::string& portName)
{
    printerName = modelNames[modelIndex];

    // A failed detection leaves the architecture empty, which takes the x86 procedure.
    const char* archName = "";
    const char* editionName = "";
    DetectSystem(archName, editionName);
    const bool installed = win32::FromAnsi(archName) == L"x64" ? InstallDriverX64(osIndex, modelIndex, portName)
                                                                : InstallDriverX86(osIndex, modelIndex, portName);
    if (!installed) return false;

    if (setDefault && !::SetDefaultPrinterW(printerName.c_str())) {
        const DWORD error = ::GetLastError();
        win32::Trace(L"SetDefaultPrinterW(" + printerName + L") failed: " + win32::ErrorText(error) + L"\r\n");
    }
    return true;
}

bool ModelCatalogue::InstallDriverX86(int osIndex, int modelIndex, const std::string& portName)
{
    return InstallDriver(L"Windows NT x86", osIndex, modelIndex, portName);
}

bool ModelCatalogue::InstallDriverX64(int osIndex, int modelIndex, const std::string& portName)
{
    return InstallDriver(L"Windows x64", osIndex, modelIndex, portName);
}

bool ModelCatalogue::InstallDriver(const wchar_t* environment, int osIndex, int modelIndex,
                                   const std::string& portName)
{
    // The package folder is named like the spooler environment and lies in the current directory.
    const std::wstring packageFolder = environment;
    const std::vector<std::wstring> staged = StagedFileNames(dllNames[modelIndex], gpdNames[modelIndex]);

    // Without the directory every destination would be a path in the root of the current drive.
    std::wstring directory;
    if (!Platform().DriverDirectory(environment, directory)) {
        win32::Trace(L"No printer-driver directory for " + packageFolder + L"\r\n");
        framework::ShowMessage(StagingFailureText(osIndex), MB_OK);
        return false;
    }

    // Leftovers of an earlier install of this model; the common files are simply overwritten.
    ::DeleteFileW((directory + L"\\" + dllNames[modelIndex]).c_str());
    ::DeleteFileW((directory + L"\\" + gpdNames[modelIndex]).c_str());

    bool allCopied = true;
    for (const std::wstring& name : staged) {
        if (!::CopyFileW((packageFolder + L"\\" + name).c_str(), (directory + L"\\" + name).c_str(), FALSE)) {
            const DWORD error = ::GetLastError();
            win32::Trace(L"CopyFileW(" + packageFolder + L"\\" + name + L") failed: " + win32::ErrorText(error) +
                         L"\r\n");
            allCopied = false;
        }
    }
    if (!allCopied) {
        framework::ShowMessage(StagingFailureText(osIndex), MB_OK);
        return false;
    }

    std::wstring dependentFiles = DependentFiles(dllNames[modelIndex]);
    std::wstring driverName = modelNames[modelIndex];
    std::wstring environmentName = environment;
    std::wstring driverPath = L"uniDRV.DLL";
    std::wstring dataFile = gpdNames[modelIndex];
    std::wstring configFile = L"uniDRVUI.DLL";
    std::wstring helpFile = L"uniDRV.HLP";
    std::wstring defaultDataType = L"RAW";

    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = &driverName[0];
    driver.pEnvironment = &environmentName[0];
    driver.pDriverPath = &driverPath[0];
    driver.pDataFile = &dataFile[0];
    driver.pConfigFile = &configFile[0];
    driver.pHelpFile = &helpFile[0];
    driver.pDependentFiles = &dependentFiles[0];
    driver.pMonitorName = nullptr;
    driver.pDefaultDataType = &defaultDataType[0];

    const DWORD driverError = Platform().AddDriver(driver);
    ::Sleep(kSpoolerSettleMs);
    if (driverError != ERROR_SUCCESS) {
        // The staged files stay: the next install of this package removes or overwrites them.
        framework::ShowMessage(win32::ErrorText(driverError), MB_OK);
        framework::ShowMessage(kDriverRefusedText, MB_OK);
        return false;
    }

    ::Sleep(kSpoolerSettleMs);
    MakeUniquePrinterName();
    const bool queueCreated = CreatePrinterQueue(modelIndex, portName);

    // The spooler has copied what it needs into its own version folder by now.
    DeleteStagedFiles(directory, staged);
    return queueCreated;
}

void ModelCatalogue::MakeUniquePrinterName()
{
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    wchar_t allServers[] = L"";
    DWORD needed = 0;
    DWORD count = 0;
    ::EnumPrintersW(flags, allServers, 2, nullptr, 0, &needed, &count);

    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed + 4]);
    if (!block) return;
    count = 0;
    if (!::EnumPrintersW(flags, allServers, 2, block.get(), needed, &needed, &count)) {
        const DWORD error = ::GetLastError();
        win32::Trace(L"EnumPrintersW failed: " + win32::ErrorText(error) + L"\r\n");
        return;
    }

    const PRINTER_INFO_2W* printers = reinterpret_cast<const PRINTER_INFO_2W*>(block.get());
    std::vector<std::wstring> names;
    names.reserve(count);
    for (DWORD i = 0; i < count; ++i) names.emplace_back(printers[i].pPrinterName ? printers[i].pPrinterName : L"");

    // One trace line per comparison, but the search restarts after every match: thousands of
    // printers make that millions of OutputDebugStringW calls, over a minute with the form frozen.
    // Past the first lines only their number is traced.
    size_t comparisons = 0;
    printerName = UniquePrinterName(printerName, names, [&comparisons](const std::wstring& line) {
        if (comparisons++ < kMaxNameTraces) win32::Trace(line);
    });
    if (comparisons > kMaxNameTraces)
        win32::Trace(L"name search: " + std::to_wstring(comparisons - kMaxNameTraces) +
                     L" further comparisons not traced\r\n");
}

bool ModelCatalogue::CreatePrinterQueue(int modelIndex, const std::string& portName)
{
    std::wstring port;
    const bool havePort = !portName.empty() && win32::FromAnsi(portName, port);
    std::wstring queueName = printerName;
    std::wstring driverName = modelNames[modelIndex];
    std::wstring printProcessor = L"WinPrint";
    std::wstring dataType = L"RAW";

    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = &queueName[0];
    printer.pPortName = havePort ? &port[0] : nullptr;
    printer.pDriverName = &driverName[0];
    printer.pPrintProcessor = &printProcessor[0];
    printer.pDatatype = &dataType[0];
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;

    DWORD error = ERROR_SUCCESS;
    win32::UniquePrinter queue(Platform().AddQueue(printer, error));
    ::Sleep(kSpoolerSettleMs);
    if (!queue) {
        framework::ShowMessage(win32::ErrorText(error), MB_OK);
        return false;
    }
    return true;
}
