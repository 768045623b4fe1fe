// Undoing an installation: the printers that use a model's driver, then the driver, then those of
// its files that no other driver of the environment uses.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class RemovalOutcome {
    Removed,          // every printer on the driver and the driver itself are gone
    NothingToRemove,  // no such driver and no printer on it
    Failed,           // a printer or the driver could not be deleted
};

// Each step of the removal as one line in English, for the log.
using RemovalReport = std::function<void(const std::wstring& line)>;

// driverName: the model name the driver was registered under. environment: "Windows x64" or
// "Windows NT x86". Deletes version 3 of the driver, the version the install registers.
RemovalOutcome RemovePrinterDriver(const std::wstring& driverName, const std::wstring& environment,
                                   const RemovalReport& report);

// The spooler environment an install on this architecture registers its driver in (the
// install's own choice: "x64" exactly, everything else the x86 one).
std::wstring DriverEnvironment(const char* archName);

// The decisions behind it, as plain functions.
namespace removal {

// Printer and driver names compare as the spooler compares them: ignoring case.
bool SameName(const std::wstring& a, const std::wstring& b);

struct QueueOnDriver {
    std::wstring printer;
    std::wstring driver;
};
// The printers among queues whose driver is driverName, in list order.
std::vector<std::wstring> PrintersUsingDriver(const std::vector<QueueOnDriver>& queues, const std::wstring& driverName);

// The files of a driver record with their directory: the spooler gives full paths, but a bare
// name is a file of the environment's version folder (versionFolder, no trailing backslash).
std::wstring FullDriverFilePath(const std::wstring& file, const std::wstring& versionFolder);

// Those of removedFiles that no file of otherDrivers names (full paths, ignoring case), each once.
std::vector<std::wstring> FilesNoOtherDriverUses(const std::vector<std::wstring>& removedFiles,
                                                 const std::vector<std::vector<std::wstring>>& otherDrivers);

}  // namespace removal
