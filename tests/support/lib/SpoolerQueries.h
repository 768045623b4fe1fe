// What the spooler holds, read back for tests: drivers, queues, the default printer and the
// files in a driver directory.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct DriverRecord {
    unsigned long version = 0;
    std::wstring name, environment, driverPath, dataFile, configFile, helpFile, monitorName, defaultDataType;
    std::vector<std::wstring> dependentFiles;
};

struct QueueRecord {
    std::wstring name, port, driver, printProcessor, dataType;
    unsigned long attributes = 0;
};

// A registered driver of environment by name (EnumPrinterDriversW level 3).
bool FindDriver(const std::wstring& environment, const std::wstring& name, DriverRecord& driver);
// The driver of an existing printer (OpenPrinterW, GetPrinterDriverW level 3).
bool PrinterDriver(const std::wstring& printer, const std::wstring& environment, DriverRecord& driver);
// The local printers (EnumPrintersW level 2).
std::vector<QueueRecord> LocalQueues();
const QueueRecord* FindQueue(const std::vector<QueueRecord>& queues, const std::wstring& name);
std::wstring DefaultPrinter();  // empty when there is none
std::wstring DriverDirectory(const std::wstring& environment);
// Names of the plain files (not folders) directly in dir.
std::vector<std::wstring> FilesIn(const std::wstring& dir);

}  // namespace testing_support
