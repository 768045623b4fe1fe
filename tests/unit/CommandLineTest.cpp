// The command line's switches, the answers of a quiet run and the log's lines.
#include "app/CommandLine.h"
#include "app/Unattended.h"
#include "app/UnattendedLog.h"
#include "catalogue/ModelCatalogue.h"
#include "support/lib/WineHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ParsedCommandLine Parse(const std::vector<std::wstring>& words)
{
    static const ModelCatalogue catalogue;
    return ParseCommandLine(words, catalogue.modelNames);
}

}  // namespace

TEST(CommandLine, ReadsEverySwitchOfAnInstall)
{
    const ParsedCommandLine parsed =
        Parse({L"/quiet", L"/model", L"TPR-80C", L"/interface", L"other", L"/default", L"/log", L"C:\\logs\\x.log"});
    ASSERT_EQ(parsed.error, CommandLineError::None) << parsed.errorText;
    EXPECT_EQ(parsed.options.action, UnattendedAction::Install);
    EXPECT_TRUE(parsed.options.quiet);
    EXPECT_EQ(parsed.options.modelIndex, 3);
    EXPECT_EQ(parsed.options.interfaceIndex, 1);
    EXPECT_TRUE(parsed.options.setDefault);
    EXPECT_EQ(parsed.options.logFile, L"C:\\logs\\x.log");

    const ParsedCommandLine defaults = Parse({L"/model", L"RK-M5T"});
    ASSERT_EQ(defaults.error, CommandLineError::None) << defaults.errorText;
    EXPECT_FALSE(defaults.options.quiet);
    EXPECT_EQ(defaults.options.modelIndex, 0);
    EXPECT_EQ(defaults.options.interfaceIndex, 0);  // usb, as the form preselects it
    EXPECT_FALSE(defaults.options.setDefault);
    EXPECT_TRUE(defaults.options.logFile.empty());
}

TEST(CommandLine, SpellingsThatMeanTheSame)
{
    const struct {
        std::vector<std::wstring> words;
        UnattendedAction action;
        int modelIndex;
        int interfaceIndex;
    } cases[] = {
        {{L"-model", L"HS-e06"}, UnattendedAction::Install, 5, 0},
        {{L"/MODEL", L"hs-E07", L"/Interface", L"USB"}, UnattendedAction::Install, 2, 0},
        {{L"/model:RK-M7", L"-interface:Other"}, UnattendedAction::Install, 4, 1},
        {{L"/model", L"RK-M6", L"/model", L"DV-N8"}, UnattendedAction::Install, 1, 0},  // the last counts
        {{L"/REMOVE", L"/model", L"tpr-80c"}, UnattendedAction::Remove, 3, 0},
        {{L"-Detect"}, UnattendedAction::Detect, -1, 0},
        {{L"/?"}, UnattendedAction::Usage, -1, 0},
        {{L"-?"}, UnattendedAction::Usage, -1, 0},
        // /? wins over everything, mistakes included.
        {{L"/bogus", L"/model", L"X", L"/?"}, UnattendedAction::Usage, -1, 0},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = Parse(c.words);
        const std::string label = testing::PrintToString(c.words);
        EXPECT_EQ(parsed.error, CommandLineError::None) << label << ": " << parsed.errorText;
        EXPECT_EQ(parsed.options.action, c.action) << label;
        EXPECT_EQ(parsed.options.modelIndex, c.modelIndex) << label;
        EXPECT_EQ(parsed.options.interfaceIndex, c.interfaceIndex) << label;
    }
}

TEST(CommandLine, InvalidLinesSayWhy)
{
    const struct {
        std::vector<std::wstring> words;
        CommandLineError error;
        const wchar_t* text;
    } cases[] = {
        {{L"/model", L"TPR-80C", L"/silent"}, CommandLineError::UnknownSwitch, L"Unknown switch \"/silent\"."},
        {{L"/model", L"TPR-80C", L"now"}, CommandLineError::StrayArgument, L"Unexpected argument \"now\"."},
        {{L"/quiet:yes", L"/model", L"TPR-80C"}, CommandLineError::UnknownSwitch,
         L"The switch /quiet takes no value: \"/quiet:yes\"."},
        {{L"/model"}, CommandLineError::MissingValue, L"The switch /model needs a value."},
        {{L"/model", L"/quiet"}, CommandLineError::MissingValue, L"The switch /model needs a value."},
        {{L"/model:", L"/quiet"}, CommandLineError::MissingValue, L"The switch /model needs a value."},
        {{L"/model", L"TPR-80C", L"/log"}, CommandLineError::MissingValue, L"The switch /log needs a value."},
        {{L"/model", L"TPR-80C", L"/interface", L"/default"}, CommandLineError::MissingValue,
         L"The switch /interface needs a value."},
        {{L"/model", L"TPR-80C", L"/interface", L"serial"}, CommandLineError::BadInterface,
         L"Unknown interface \"serial\": use usb or other."},
        {{L"/model", L"TPR-80"}, CommandLineError::UnknownModel,
         L"Unknown model \"TPR-80\"; the models are RK-M5T, DV-N8, HS-e07, TPR-80C, RK-M7, HS-e06, RK-M6."},
        {{L"/model", L"TPR-80C "}, CommandLineError::UnknownModel, nullptr},
        {{L"/quiet", L"/default"}, CommandLineError::NoModel, L"An install needs /model NAME."},
        {{}, CommandLineError::NoModel, L"An install needs /model NAME."},
        {{L"/remove"}, CommandLineError::NoModel, L"/remove needs /model NAME."},
        {{L"/remove", L"/detect"}, CommandLineError::ConflictingSwitches, L"/detect and /remove cannot be combined."},
        {{L"/detect", L"/model", L"TPR-80C"}, CommandLineError::ConflictingSwitches,
         L"/detect takes no /model, /interface or /default."},
        {{L"/remove", L"/model", L"TPR-80C", L"/default"}, CommandLineError::ConflictingSwitches,
         L"/remove takes no /interface or /default."},
        // The first mistake is the one reported.
        {{L"/x", L"/model", L"Nope"}, CommandLineError::UnknownSwitch, L"Unknown switch \"/x\"."},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = Parse(c.words);
        const std::string label = testing::PrintToString(c.words);
        EXPECT_EQ(parsed.error, c.error) << label;
        if (c.text) {
            EXPECT_EQ(parsed.errorText, c.text) << label;
        }
    }
}

TEST(CommandLine, QuietAndLogCountAlsoWhenTheLineIsWrong)
{
    // The error itself must go to the log, and no box may show for it.
    const ParsedCommandLine parsed = Parse({L"/model", L"Nope", L"/log", L"x.log", L"/quiet"});
    EXPECT_EQ(parsed.error, CommandLineError::UnknownModel);
    EXPECT_TRUE(parsed.options.quiet);
    EXPECT_EQ(parsed.options.logFile, L"x.log");
}

TEST(CommandLine, SplitsLikeTheCRuntime)
{
    EXPECT_TRUE(CommandLineArguments(L"VeltoPrinterDriverSetup.exe").empty());
    EXPECT_TRUE(CommandLineArguments(L"\"C:\\Program Files\\Velto\\VeltoPrinterDriverSetup.exe\"   ").empty());
    EXPECT_TRUE(CommandLineArguments(L"").empty());
    EXPECT_EQ(CommandLineArguments(L"\"C:\\a b\\setup.exe\" /quiet /log \"C:\\my logs\\x.log\" /model TPR-80C"),
              (std::vector<std::wstring>{L"/quiet", L"/log", L"C:\\my logs\\x.log", L"/model", L"TPR-80C"}));
}

TEST(CommandLine, UsageNamesEveryModelSwitchAndExitCode)
{
    const ModelCatalogue catalogue;
    const std::wstring usage = UsageText(L"VeltoPrinterDriverSetup", catalogue.modelNames);
    for (const std::wstring& model : catalogue.modelNames) EXPECT_NE(usage.find(model), std::wstring::npos) << model;
    for (const wchar_t* text : {L"/quiet", L"/model NAME", L"/interface usb|other", L"/default", L"/log FILE",
                                L"/detect", L"/remove", L"/?", L"0 success", L"87 invalid arguments",
                                L"1603 the install or removal failed", L"1618 another instance"})
        EXPECT_NE(usage.find(text), std::wstring::npos) << testing::PrintToString(std::wstring(text));
    EXPECT_EQ(usage.find(L"\n"), usage.find(L"\r\n") + 1);  // console line breaks
}

TEST(CommandLine, ExitCodesAreTheInstallersOwn)
{
    EXPECT_EQ(kExitSuccess, 0);
    EXPECT_EQ(kExitInvalidArguments, 87);
    EXPECT_EQ(kExitFailed, 1603);
    EXPECT_EQ(kExitAnotherInstance, 1618);
    EXPECT_EQ(kExitLogFailure, 1622);
}

TEST(CommandLine, QuietRunAnswersWhatAsksForNothingMore)
{
    const struct {
        UINT type;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_YESNO, IDNO},
        {MB_YESNO | MB_DEFBUTTON1 | MB_ICONQUESTION, IDNO},  // the default button does not decide
        {MB_OKCANCEL, IDCANCEL},
        {MB_YESNOCANCEL, IDCANCEL},
        {MB_RETRYCANCEL, IDCANCEL},
        {MB_ABORTRETRYIGNORE, IDABORT},
    };
    for (const auto& c : cases) EXPECT_EQ(UnattendedAnswer(c.type), c.answer) << std::hex << c.type;
}

TEST(CommandLine, LogLineHasLocalTimeProcessKindAndOneLineOfText)
{
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 3;
    time.wDay = 7;
    time.wHour = 9;
    time.wMinute = 5;
    time.wSecond = 4;
    time.wMilliseconds = 42;
    EXPECT_EQ(UnattendedLog::FormatLine(time, 1234, L"step", L"Port: LPT1:."),
              L"2026-03-07 09:05:04.042 [1234] step    Port: LPT1:.");
    // Messages keep their line break visibly; traces lose their final \r\n.
    EXPECT_EQ(UnattendedLog::FormatLine(time, 7, L"message", L"Malfunction !\nPls try using <Run as administrator>"),
              L"2026-03-07 09:05:04.042 [7] message Malfunction !\\nPls try using <Run as administrator>");
    EXPECT_EQ(UnattendedLog::FormatLine(time, 7, L"trace", L"name=RK-M5T,i=-1\r\n"),
              L"2026-03-07 09:05:04.042 [7] trace   name=RK-M5T,i=-1");
    EXPECT_EQ(UnattendedLog::FormatLine(time, 7, L"trace", L"a\rb\r\nc\n\n"), L"2026-03-07 09:05:04.042 [7] trace   a\\nb\\nc");
}

TEST(CommandLine, LogAppendsUtf8WithOneByteOrderMark)
{
    const std::wstring dir = testing_support::MakeScratchDir(L"cli-log");
    ASSERT_FALSE(dir.empty());
    const std::wstring path = dir + L"\\run.log";
    for (int run = 0; run < 2; ++run) {
        UnattendedLog log;
        DWORD error = 0;
        ASSERT_TRUE(log.Open(path, error)) << error;
        log.Write(L"message", L"Falha na instalação !");
    }
    std::string bytes;
    ASSERT_TRUE(testing_support::ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF", 1), std::string::npos);
    size_t lines = 0;
    for (size_t at = bytes.find("Falha na instala\xC3\xA7\xC3\xA3o !\r\n"); at != std::string::npos;
         at = bytes.find("Falha na instala\xC3\xA7\xC3\xA3o !\r\n", at + 1))
        ++lines;
    EXPECT_EQ(lines, 2u);

    UnattendedLog missing;
    DWORD error = 0;
    EXPECT_FALSE(missing.Open(dir + L"\\no such folder\\run.log", error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    testing_support::RemoveTree(dir);
}
