#include "catalogue/ModelCatalogue.h"

#include "catalogue/SystemNames.h"
#include "install/InstallPlatform.h"

namespace {

struct ModelRow {
    const wchar_t* model;
    const wchar_t* dll;
    const wchar_t* gpd;
};

// Only "HS-e07" and "HS-e06" use other files than the common 80 mm pair.
const ModelRow kModels[ModelCatalogue::kModelCount] = {
    {L"RK-M5T", L"POS80.DLL", L"POS80C.GPD"},
    {L"DV-N8", L"POS80.DLL", L"POS80C.GPD"},
    {L"HS-e07", L"POS80.DLL", L"POS80.GPD"},
    {L"TPR-80C", L"POS80.DLL", L"POS80C.GPD"},
    {L"RK-M7", L"POS80.DLL", L"POS80C.GPD"},
    {L"HS-e06", L"POS58.DLL", L"POS58.GPD"},
    {L"RK-M6", L"POS80.DLL", L"POS80C.GPD"},
};

const char* const kEditions[ModelCatalogue::kEditionCount] = {
    "Windows 2000", "Windows XP", "Windows 2003", "Windows Vista", "Windows 7",
    "Windows 8",    "Windows 8.1", "Windows 10",  "Windows 10.1",
};

}  // namespace

ModelCatalogue::ModelCatalogue(InstallPlatform* platform) : editionNames{}, platform_(platform)
{
    for (int row = 0; row < kModelCount; ++row) {
        modelNames[row] = kModels[row].model;
        dllNames[row] = kModels[row].dll;
        gpdNames[row] = kModels[row].gpd;
    }
    for (int i = 0; i < kEditionCount; ++i) editionNames[i] = kEditions[i];
}

InstallPlatform& ModelCatalogue::Platform() const
{
    return platform_ ? *platform_ : SystemInstallPlatform();
}

bool ModelCatalogue::DetectSystem(const char*& archName, const char*& editionName) const
{
    const WORD architecture = Platform().NativeArchitecture();
    OSVERSIONINFOW version;
    if (!Platform().QueryVersion(version)) return false;

    // Callers find the edition's position by comparing pointers, so hand out the entry itself.
    const int edition = EditionIndexFor(version.dwMajorVersion, version.dwMinorVersion);
    editionName = edition >= 0 ? editionNames[edition] : kUnknownEdition;
    archName = ArchitectureNameFor(architecture);
    return true;
}
