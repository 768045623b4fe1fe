// Facts about the Wine host that tests need: where the build and the prefix are, as Windows paths.
#pragma once

#include <string>

namespace testing_support {

// A Unix path as the Windows side sees it through Wine's Z: drive.
std::wstring WindowsPathOf(const std::string& unixPath);

// The build folder (where the program and the stand-ins are) as a Windows path.
std::wstring BuildDir();

// The program under test.
std::wstring ProgramPath();

// A stand-in program built from tests/support/programs/NAME.cpp.
std::wstring StandinPath(const std::wstring& name);

// The Wine prefix this test runs in, as a Windows path (from WINEPREFIX).
std::wstring PrefixDir();

// A new empty folder under the build folder for one test, unique per call.
std::wstring MakeScratchDir(const std::wstring& hint);

// Removes a folder and everything in it; ignores what cannot be removed.
void RemoveTree(const std::wstring& dir);

// Writes bytes to a file, creating or replacing it (replacing unlinks first, so a hard-linked
// file of a cloned prefix is never written through).
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool ReadFileBytes(const std::wstring& path, std::string& bytes);

}  // namespace testing_support
