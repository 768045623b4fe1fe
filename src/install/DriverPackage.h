// What one driver package install stages and registers, and what it tells the operator.
#pragma once

#include <string>
#include <vector>

// The eight files staged for a model, in the one order used for copying and for removal: the
// model's DLL and GPD, then the six common universal-driver files.
std::vector<std::wstring> StagedFileNames(const std::wstring& dllName, const std::wstring& gpdName);

// The dependent-file multi-string of the driver record: "TTFSUB.GPD", "STDNAMES.GPD",
// "UNIRES.DLL" and the model's DLL, each ended by NUL, then three more NULs (the string's own
// terminator follows).
std::wstring DependentFiles(const std::wstring& dllName);

// The message when staging fails, chosen by the Windows edition radio button (osIndex, -1 for
// none): from Vista on (3 and above) it points the operator to "Run as administrator".
const wchar_t* StagingFailureText(int osIndex);

extern const wchar_t kDriverRefusedText[];
