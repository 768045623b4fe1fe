// The compiled-in printer models with their driver files, the Windows edition names, and the
// operations of one installation, which work on the catalogue's working printer name.
#pragma once

#include <string>

class InstallPlatform;

class ModelCatalogue {
public:
    static constexpr int kModelCount = 7;
    static constexpr int kEditionCount = 9;

    // platform: the spooler, system information and files the operations use; null means the
    // real Windows ones. Tests pass a stand-in where Wine cannot show a behaviour.
    explicit ModelCatalogue(InstallPlatform* platform = nullptr);

    std::wstring dllNames[kModelCount];
    std::wstring gpdNames[kModelCount];
    std::wstring modelNames[kModelCount];
    std::wstring printerName;                   // the printer the last install created
    const char* editionNames[kEditionCount];   // fixed texts; DetectSystem returns the entry itself

    // Architecture and edition names as fixed narrow texts. False (outputs untouched) when the
    // version query fails.
    bool DetectSystem(const char*& archName, const char*& editionName) const;

    // The whole installation of model row modelIndex on portName (thread's ANSI code page).
    bool InstallPrinter(int osIndex, int modelIndex, int setDefault, const std::string& portName);

    bool InstallDriverX86(int osIndex, int modelIndex, const std::string& portName);
    bool InstallDriverX64(int osIndex, int modelIndex, const std::string& portName);
    void MakeUniquePrinterName();
    bool CreatePrinterQueue(int modelIndex, const std::string& portName);

private:
    InstallPlatform& Platform() const;
    bool InstallDriver(const wchar_t* environment, int osIndex, int modelIndex,
                       const std::string& portName);

    InstallPlatform* platform_;
};
