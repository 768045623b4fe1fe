#include "e2e/AppHarness.h"

#include "support/lib/DriverPackages.h"
#include "support/lib/WineHost.h"

namespace app_e2e {

const wchar_t kFormTitle[] = L"Configuração de Instalação";
const wchar_t kMessageCaption[] = L"VeltoPrinterDriverSetup";

AppHarness::~AppHarness()
{
    program.Kill();
    if (!workDir.empty()) testing_support::RemoveTree(workDir);
}

namespace {

// The virtual display has no window manager. Wine then draws the frames itself and maximises
// the backdrop itself, as Windows would, when it is told not to wait for one.
void LetWineManageTheWindows()
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const wchar_t* name : {L"Managed", L"Decorated"})
        ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
    ::RegCloseKey(key);
}

}  // namespace

bool AppHarness::StartToForm(const std::wstring& windowsVersion, const std::vector<std::wstring>& omit)
{
    if (!testing_support::SetWindowsVersion(windowsVersion)) return false;
    LetWineManageTheWindows();
    workDir = testing_support::MakeScratchDir(L"app");
    if (workDir.empty() || !testing_support::MakeDriverPackages(workDir, omit)) return false;
    if (!program.Start(testing_support::ProgramPath(), workDir)) return false;
    form = testing_support::WaitForTopWindow(program.Id(), kFormTitle);
    formShownMs = program.ElapsedMs();
    return form != nullptr;
}

testing_support::MessageBoxSeen AppHarness::NextMessage(DWORD timeoutMs)
{
    testing_support::MessageBoxSeen box;
    if (!testing_support::WaitForMessageBox(program.Id(), box, timeoutMs)) box = testing_support::MessageBoxSeen();
    return box;
}

}  // namespace app_e2e
