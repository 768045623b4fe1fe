// The decisions of the options form and its install command, as plain functions.
#pragma once

#include <windows.h>

#include <string>

constexpr int kChineseLanguageId = 2052;

// The recommendation line above the edition radios.
std::wstring RecommendText(int languageId, const std::wstring& editionName, const std::wstring& archName);

// The edition radio (osIndex) that fits the detected edition, found among editionNames by
// identity of the entry; currentOsIndex when it is none of them ("Unknow", failed detection).
int OsIndexForEdition(const char* const (&editionNames)[9], const char* detectedEdition, int currentOsIndex);

// Captions the form shows in place of the template's (Chinese) ones when languageId is not 2052.
struct ControlCaption {
    int id;
    const wchar_t* text;
};
const ControlCaption* PortugueseCaptions(size_t& count);
extern const wchar_t kPortugueseOptionsTitle[];

enum class FlowMessage { NoModel, InstallFailed, ConfigureQuestion, TestPageQuestion };
const wchar_t* FlowText(FlowMessage message, int languageId);

// The port the printer goes on: the USB printer port when interfaceIndex is 0 and findUsbPort
// finds one, else "LPT1:" (and no search when interfaceIndex is not 0).
std::string ChoosePort(int interfaceIndex, bool (*findUsbPort)(std::string& portName));

// After a successful install: the configure question for "LPT1:", the test page question for a
// USB port.
FlowMessage QuestionAfterInstall(const std::string& portName);

// How the options dialog ends after the question was answered: IDOK only for a yes to the
// configure question.
INT_PTR EndCodeAfterAnswer(FlowMessage question, int answer);
// Whether the answer asks for the test page (anything but No to the test page question).
bool PrintsTestPage(FlowMessage question, int answer);

// What the main window does once the options dialog has ended.
enum class OptionsEndAction { CloseProgram, OpenProperties, StayOpen };
OptionsEndAction ActionOnOptionsEnd(INT_PTR endCode, int driverKind, const std::wstring& resultPrinterName);

// The message behind the fifth double-click on the recommendation line, deciphered.
std::string DecipherHiddenMessage(const unsigned char* bytes, size_t size, const unsigned char (&key)[3]);
std::wstring HiddenMessage();
