#include "app/CommandLine.h"
#include "app/Unattended.h"
#include "app/VeltoPrinterDriverSetupApp.h"

#include <windows.h>

CVeltoPrinterDriverSetupApp theApp;

namespace {

// The program runs elevated from wherever it was copied (often a download folder): load nothing
// from there, only from the system directory. Vista and 7 have the call only with update
// KB2533623, so it is looked up in the already loaded kernel32 instead of imported; without it
// the program would not start there at all.
void LoadLibrariesFromSystemDirectoryOnly()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto setDefaultDllDirectories = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                                 ::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                           : nullptr;
    if (setDefaultDllDirectories) setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    LoadLibrariesFromSystemDirectoryOnly();
    // With arguments the program runs for a deployment system, without the form.
    const std::vector<std::wstring> arguments = CommandLineArguments(::GetCommandLineW());
    if (!arguments.empty()) return RunUnattended(arguments);
    return theApp.Run(instance);
}
