// The program's command line for deployment systems: which switches there are, what each one
// takes, and the exit codes such systems read. Plain functions on strings; the run itself is in
// Unattended.h.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Exit codes, chosen from the Windows Installer's so that deployment systems (Intune,
// Configuration Manager) read them without a custom table.
constexpr int kExitSuccess = ERROR_SUCCESS;                          // 0
constexpr int kExitInvalidArguments = ERROR_INVALID_PARAMETER;       // 87
constexpr int kExitFailed = ERROR_INSTALL_FAILURE;                   // 1603
constexpr int kExitAnotherInstance = ERROR_INSTALL_ALREADY_RUNNING;  // 1618
constexpr int kExitLogFailure = ERROR_INSTALL_LOG_FAILURE;           // 1622

enum class UnattendedAction { Install, Remove, Detect, Usage };

struct CommandLineOptions {
    UnattendedAction action = UnattendedAction::Install;
    bool quiet = false;
    int modelIndex = -1;      // catalogue row named by /model; -1 when none was given
    int interfaceIndex = 0;   // as the form's interface radios: 0 USB, 1 other
    bool setDefault = false;
    std::wstring logFile;     // empty: no log
};

enum class CommandLineError {
    None,
    UnknownSwitch,      // /foo
    StrayArgument,      // a word that is neither a switch nor a switch's value
    MissingValue,       // /model, /interface or /log at the end or followed by a switch
    BadInterface,       // /interface other than usb or other
    UnknownModel,       // /model that names no catalogue model
    NoModel,            // an install or a removal without /model
    ConflictingSwitches,
};

struct ParsedCommandLine {
    CommandLineOptions options;  // filled as far as it goes, also after an error (quiet, log)
    CommandLineError error = CommandLineError::None;
    std::wstring errorText;      // one English sentence that says what is wrong
};

// arguments: the words after the program's name. Switch names and the /interface values ignore
// case and begin with / or -; a value follows its switch as the next word or after a colon
// (/model:TPR-80C). Model names match the catalogue's spelling ignoring case. /? wins over
// everything else; of the other switches the last of a kind counts.
ParsedCommandLine ParseCommandLine(const std::vector<std::wstring>& arguments, const std::wstring (&modelNames)[7]);

// The words of a command line after the program's name, split as the C runtime splits them.
std::vector<std::wstring> CommandLineArguments(const wchar_t* commandLine);

// The text /? shows; programName is the file name without extension.
std::wstring UsageText(const std::wstring& programName, const std::wstring (&modelNames)[7]);
