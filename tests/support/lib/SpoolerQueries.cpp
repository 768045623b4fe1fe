#include "support/lib/SpoolerQueries.h"

#include "win32/Handles.h"

#include <windows.h>
#include <winspool.h>

namespace testing_support {

namespace {

std::wstring Text(const wchar_t* text) { return text ? text : L""; }

DriverRecord FromInfo(const DRIVER_INFO_3W& info)
{
    DriverRecord driver;
    driver.version = info.cVersion;
    driver.name = Text(info.pName);
    driver.environment = Text(info.pEnvironment);
    driver.driverPath = Text(info.pDriverPath);
    driver.dataFile = Text(info.pDataFile);
    driver.configFile = Text(info.pConfigFile);
    driver.helpFile = Text(info.pHelpFile);
    driver.monitorName = Text(info.pMonitorName);
    driver.defaultDataType = Text(info.pDefaultDataType);
    for (const wchar_t* p = info.pDependentFiles; p && *p; p += wcslen(p) + 1) driver.dependentFiles.emplace_back(p);
    return driver;
}

}  // namespace

bool FindDriver(const std::wstring& environment, const std::wstring& name, DriverRecord& driver)
{
    LPWSTR env = const_cast<LPWSTR>(environment.c_str());
    DWORD needed = 0, count = 0;
    ::EnumPrinterDriversW(nullptr, env, 3, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed + 16);
    if (!::EnumPrinterDriversW(nullptr, env, 3, block.data(), static_cast<DWORD>(block.size()), &needed, &count))
        return false;
    const DRIVER_INFO_3W* infos = reinterpret_cast<const DRIVER_INFO_3W*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        if (Text(infos[i].pName) == name) {
            driver = FromInfo(infos[i]);
            return true;
        }
    }
    return false;
}

bool PrinterDriver(const std::wstring& printer, const std::wstring& environment, DriverRecord& driver)
{
    win32::UniquePrinter handle;
    if (!::OpenPrinterW(const_cast<LPWSTR>(printer.c_str()), handle.put(), nullptr)) return false;
    LPWSTR env = const_cast<LPWSTR>(environment.c_str());
    DWORD needed = 0;
    ::GetPrinterDriverW(handle.get(), env, 3, nullptr, 0, &needed);
    std::vector<BYTE> block(needed + 16);
    if (!::GetPrinterDriverW(handle.get(), env, 3, block.data(), static_cast<DWORD>(block.size()), &needed))
        return false;
    driver = FromInfo(*reinterpret_cast<const DRIVER_INFO_3W*>(block.data()));
    return true;
}

std::vector<QueueRecord> LocalQueues()
{
    std::vector<QueueRecord> queues;
    DWORD needed = 0, count = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed + 16);
    if (!::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, block.data(), static_cast<DWORD>(block.size()), &needed,
                         &count))
        return queues;
    const PRINTER_INFO_2W* infos = reinterpret_cast<const PRINTER_INFO_2W*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        QueueRecord queue;
        queue.name = Text(infos[i].pPrinterName);
        queue.port = Text(infos[i].pPortName);
        queue.driver = Text(infos[i].pDriverName);
        queue.printProcessor = Text(infos[i].pPrintProcessor);
        queue.dataType = Text(infos[i].pDatatype);
        queue.attributes = infos[i].Attributes;
        queues.push_back(queue);
    }
    return queues;
}

const QueueRecord* FindQueue(const std::vector<QueueRecord>& queues, const std::wstring& name)
{
    for (const QueueRecord& queue : queues)
        if (queue.name == name) return &queue;
    return nullptr;
}

std::wstring DefaultPrinter()
{
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return {};
    std::vector<wchar_t> name(size + 1, L'\0');
    if (!::GetDefaultPrinterW(name.data(), &size)) return {};
    return name.data();
}

std::wstring DriverDirectory(const std::wstring& environment)
{
    wchar_t dir[MAX_PATH * 2] = {};
    DWORD needed = 0;
    if (!::GetPrinterDriverDirectoryW(nullptr, const_cast<LPWSTR>(environment.c_str()), 1,
                                      reinterpret_cast<LPBYTE>(dir), sizeof(dir), &needed))
        return {};
    return dir;
}

std::vector<std::wstring> FilesIn(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

}  // namespace testing_support
