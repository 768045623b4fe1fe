#include "app/CommandLine.h"
#include "app/Unattended.h"
#include "app/VeltoPrinterDriverSetupApp.h"

#include <windows.h>

CVeltoPrinterDriverSetupApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // The program runs elevated from wherever it was copied (often a download folder): load
    // nothing from there, only from the system directory.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // With arguments the program runs for a deployment system, without the form.
    const std::vector<std::wstring> arguments = CommandLineArguments(::GetCommandLineW());
    if (!arguments.empty()) return RunUnattended(arguments);
    return theApp.Run(instance);
}
