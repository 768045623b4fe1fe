#include "app/CommandLine.h"

#include "win32/Handles.h"

#include <shellapi.h>

namespace {

enum class Switch { Quiet, Model, Interface, Default, Log, Detect, Remove, Usage };

struct SwitchName {
    const wchar_t* name;
    Switch which;
    bool takesValue;
};

const SwitchName kSwitches[] = {
    {L"quiet", Switch::Quiet, false},   {L"model", Switch::Model, true},   {L"interface", Switch::Interface, true},
    {L"default", Switch::Default, false}, {L"log", Switch::Log, true},     {L"detect", Switch::Detect, false},
    {L"remove", Switch::Remove, false}, {L"?", Switch::Usage, false},
};

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

bool LooksLikeSwitch(const std::wstring& word) { return !word.empty() && (word[0] == L'/' || word[0] == L'-'); }

const SwitchName* FindSwitch(const std::wstring& name)
{
    for (const SwitchName& s : kSwitches)
        if (EqualIgnoringCase(name, s.name)) return &s;
    return nullptr;
}

// "/model:TPR-80C" -> "model".
std::wstring SwitchNameOf(const std::wstring& word)
{
    const size_t colon = word.find(L':');
    return word.substr(1, colon == std::wstring::npos ? std::wstring::npos : colon - 1);
}

// A word that is one of the switches cannot be the value of the switch before it.
bool IsKnownSwitch(const std::wstring& word) { return LooksLikeSwitch(word) && FindSwitch(SwitchNameOf(word)); }

ParsedCommandLine Fail(ParsedCommandLine parsed, CommandLineError error, const std::wstring& text)
{
    if (parsed.error == CommandLineError::None) {
        parsed.error = error;
        parsed.errorText = text;
    }
    return parsed;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::wstring>& arguments, const std::wstring (&modelNames)[7])
{
    ParsedCommandLine parsed;
    CommandLineOptions& options = parsed.options;
    bool usage = false, detect = false, remove = false, interfaceGiven = false;
    std::wstring modelName;
    bool modelGiven = false;

    // The whole line is read even after an error, so that /quiet and /log still count for the
    // report of that error.
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& word = arguments[i];
        if (!LooksLikeSwitch(word)) {
            parsed = Fail(parsed, CommandLineError::StrayArgument, L"Unexpected argument \"" + word + L"\".");
            continue;
        }
        const size_t colon = word.find(L':');
        const SwitchName* known = FindSwitch(SwitchNameOf(word));
        if (!known) {
            parsed = Fail(parsed, CommandLineError::UnknownSwitch, L"Unknown switch \"" + word + L"\".");
            continue;
        }
        std::wstring value;
        if (known->takesValue) {
            if (colon != std::wstring::npos) {
                value = word.substr(colon + 1);
            } else if (i + 1 < arguments.size() && !IsKnownSwitch(arguments[i + 1])) {
                value = arguments[++i];
            }
            if (value.empty()) {
                parsed = Fail(parsed, CommandLineError::MissingValue, L"The switch /" + std::wstring(known->name) +
                                                                          L" needs a value.");
                continue;
            }
        } else if (colon != std::wstring::npos) {
            parsed = Fail(parsed, CommandLineError::UnknownSwitch,
                          L"The switch /" + std::wstring(known->name) + L" takes no value: \"" + word + L"\".");
            continue;
        }

        switch (known->which) {
        case Switch::Quiet:
            options.quiet = true;
            break;
        case Switch::Model:
            modelName = value;
            modelGiven = true;
            break;
        case Switch::Interface:
            interfaceGiven = true;
            if (EqualIgnoringCase(value, L"usb")) {
                options.interfaceIndex = 0;
            } else if (EqualIgnoringCase(value, L"other")) {
                options.interfaceIndex = 1;
            } else {
                parsed = Fail(parsed, CommandLineError::BadInterface,
                              L"Unknown interface \"" + value + L"\": use usb or other.");
            }
            break;
        case Switch::Default:
            options.setDefault = true;
            break;
        case Switch::Log:
            options.logFile = value;
            break;
        case Switch::Detect:
            detect = true;
            break;
        case Switch::Remove:
            remove = true;
            break;
        case Switch::Usage:
            usage = true;
            break;
        }
    }

    if (modelGiven) {
        for (int row = 0; row < 7; ++row)
            if (EqualIgnoringCase(modelName, modelNames[row])) options.modelIndex = row;
        if (options.modelIndex < 0) {
            std::wstring known;
            for (const std::wstring& model : modelNames) known += (known.empty() ? L"" : L", ") + model;
            parsed = Fail(parsed, CommandLineError::UnknownModel,
                          L"Unknown model \"" + modelName + L"\"; the models are " + known + L".");
        }
    }

    if (usage) {
        options.action = UnattendedAction::Usage;
        parsed.error = CommandLineError::None;
        parsed.errorText.clear();
        return parsed;
    }
    if (detect && remove) {
        return Fail(parsed, CommandLineError::ConflictingSwitches, L"/detect and /remove cannot be combined.");
    }
    if (detect) {
        options.action = UnattendedAction::Detect;
        if (modelGiven || interfaceGiven || options.setDefault)
            return Fail(parsed, CommandLineError::ConflictingSwitches,
                        L"/detect takes no /model, /interface or /default.");
        return parsed;
    }
    if (remove) {
        options.action = UnattendedAction::Remove;
        if (interfaceGiven || options.setDefault)
            return Fail(parsed, CommandLineError::ConflictingSwitches, L"/remove takes no /interface or /default.");
        if (!modelGiven) return Fail(parsed, CommandLineError::NoModel, L"/remove needs /model NAME.");
        return parsed;
    }
    options.action = UnattendedAction::Install;
    if (!modelGiven) return Fail(parsed, CommandLineError::NoModel, L"An install needs /model NAME.");
    return parsed;
}

std::vector<std::wstring> CommandLineArguments(const wchar_t* commandLine)
{
    std::vector<std::wstring> words;
    // CommandLineToArgvW treats an empty line as "the program's own path": nothing to split.
    if (!commandLine || !*commandLine) return words;
    int count = 0;
    win32::UniqueLocal argv(::CommandLineToArgvW(commandLine, &count));
    if (!argv) return words;
    wchar_t** list = static_cast<wchar_t**>(argv.get());
    for (int i = 1; i < count; ++i) words.emplace_back(list[i]);
    return words;
}

std::wstring UsageText(const std::wstring& programName, const std::wstring (&modelNames)[7])
{
    std::wstring models;
    for (const std::wstring& model : modelNames) models += (models.empty() ? L"" : L", ") + model;
    const std::wstring& p = programName;
    return L"Installs a receipt printer's driver and printer; without arguments the setup form opens.\r\n"
           L"\r\n"
           L"  " + p + L" /model NAME [/interface usb|other] [/default] [/quiet] [/log FILE]\r\n"
           L"  " + p + L" /remove /model NAME [/quiet] [/log FILE]\r\n"
           L"  " + p + L" /detect [/quiet] [/log FILE]\r\n"
           L"  " + p + L" /?\r\n"
           L"\r\n"
           L"  /model NAME       the printer model: " + models + L"\r\n"
           L"  /interface usb    the port of the first attached USB printer of a listed maker, else LPT1:\r\n"
           L"                    (the default)\r\n"
           L"  /interface other  the port LPT1:\r\n"
           L"  /default          make the new printer the default printer\r\n"
           L"  /quiet            no window and no message box: messages go to the log, every Yes/No\r\n"
           L"                    question is answered No (no test page, no properties window)\r\n"
           L"  /log FILE         append the run's steps, messages and traces to FILE (UTF-8)\r\n"
           L"  /detect           list the ports of the attached USB printers of listed makers\r\n"
           L"  /remove           delete the printers that use the model's driver, then the driver\r\n"
           L"  /?                show this text\r\n"
           L"\r\n"
           L"Switches may start with / or -, and case does not matter in names.\r\n"
           L"Exit codes: 0 success, 87 invalid arguments, 1603 the install or removal failed,\r\n"
           L"1618 another instance is installing or removing, 1622 the log file cannot be opened.\r\n";
}
