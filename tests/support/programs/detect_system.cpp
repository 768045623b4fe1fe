// Stand-in that runs the catalogue's system detection in a process of its own, because Wine
// reads the configured Windows version once, when a process starts. Writes what it found to the
// file named on the command line: the architecture name, the edition's position among the
// catalogue's edition entries found by identity (-1 for none), and the edition name, one a line.
// Exit code 0 when the detection succeeded, 1 when it failed, 2 when the file could not be written.
#include "catalogue/ModelCatalogue.h"
#include "support/lib/WineHost.h"

#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int)
{
    std::wstring outPath = commandLine ? commandLine : L"";
    if (outPath.size() >= 2 && outPath.front() == L'"' && outPath.back() == L'"')
        outPath = outPath.substr(1, outPath.size() - 2);

    ModelCatalogue catalogue;
    const char* archName = "";
    const char* editionName = "";
    const bool detected = catalogue.DetectSystem(archName, editionName);
    int position = -1;
    for (int i = 0; i < ModelCatalogue::kEditionCount; ++i)
        if (catalogue.editionNames[i] == editionName) position = i;

    const std::string report = std::string(archName) + "\n" + std::to_string(position) + "\n" + editionName + "\n";
    if (!testing_support::WriteFileBytes(outPath, report)) return 2;
    return detected ? 0 : 1;
}
