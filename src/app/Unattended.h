// The program run from a command line with arguments, for deployment systems: install, removal
// or detection without the form, with an exit code, a log and output to the starting console.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The machine-wide mutex a command-line install or removal holds for its whole run; a second
// one that finds it held ends with 1618. In the Global namespace so that runs in different
// sessions (a deployment service in session 0, an administrator's desktop) see each other.
extern const wchar_t kUnattendedMutexName[];

// arguments: the words after the program's name, at least one. Returns the exit code
// (CommandLine.h).
int RunUnattended(const std::vector<std::wstring>& arguments);

// The answer a quiet run gives to a message box of these MB_ buttons: the one that asks for
// nothing more. OK for a message; No for a Yes/No question (no test page, no properties window
// that nobody would see); Cancel, or Abort, where the box has it.
int UnattendedAnswer(UINT type);
