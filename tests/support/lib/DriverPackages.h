// Package folders "Windows NT x86" and "Windows x64" filled with placeholder driver files, the way
// the operator finds them beside the program. The files are plain text, never PE images: Wine
// loads the configuration DLL inside AddPrinterW, and a real DLL without the printer-driver
// exports would crash there.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// The eleven driver file names a package folder holds.
const std::vector<std::wstring>& DriverFileNames();

// Creates workDir\Windows NT x86 and workDir\Windows x64, each with a placeholder for every
// driver file. omit names paths relative to workDir to leave out: a file
// (L"Windows x64\\POS80C.GPD") or a whole folder (L"Windows x64"). False when a folder or file
// could not be made.
bool MakeDriverPackages(const std::wstring& workDir, const std::vector<std::wstring>& omit = {});

}  // namespace testing_support
