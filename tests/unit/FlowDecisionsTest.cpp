// The decisions of the options form and its install command.
#include "app/InstallFlow.h"
#include "catalogue/ModelCatalogue.h"

#include <gtest/gtest.h>

#include <string>

TEST(FlowDecisions, RecommendationLineByLanguage)
{
    struct Case {
        int languageId;
        const wchar_t* edition;
        const wchar_t* arch;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {1033, L"Windows 10", L"x64", L" Você está usando SO Windows 10 x64. Por favor selecione Windows 10 para instalar."},
        {1046, L"Windows XP", L"x86", L" Você está usando SO Windows XP x86. Por favor selecione Windows XP para instalar."},
        {2052, L"Windows 7", L"x64", L"您正使用的是Windows 7 x64系统。\n推荐选择Windows 7进行安装。"},
        {1033, L"", L"", L" Você está usando SO  . Por favor selecione  para instalar."},  // failed detection
        {1033, L"Unknow", L"Unknown", L" Você está usando SO Unknow Unknown. Por favor selecione Unknow para instalar."},
    };
    for (const Case& c : cases) EXPECT_EQ(RecommendText(c.languageId, c.edition, c.arch), c.expected) << c.languageId;
}

TEST(FlowDecisions, EditionPicksItsRadioByIdentityOfTheCatalogueEntry)
{
    const ModelCatalogue catalogue;
    const int expected[9] = {0, 1, 2, 3, 4, 5, 5, 0, 0};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(OsIndexForEdition(catalogue.editionNames, catalogue.editionNames[i], 3), expected[i]) << i;

    // An equal text that is not the entry itself, "Unknow" and a failed detection keep the value.
    const std::string copy = catalogue.editionNames[4];
    EXPECT_EQ(OsIndexForEdition(catalogue.editionNames, copy.c_str(), 3), 3);
    EXPECT_EQ(OsIndexForEdition(catalogue.editionNames, "Unknow", 0), 0);
    EXPECT_EQ(OsIndexForEdition(catalogue.editionNames, nullptr, 0), 0);
}

TEST(FlowDecisions, MessageTextsByLanguage)
{
    struct Case {
        FlowMessage message;
        const wchar_t* chinese;
        const wchar_t* portuguese;
    };
    const Case cases[] = {
        {FlowMessage::NoModel, L"请选择一个打印机型号！", L"Selecione a Série da Impressora"},
        {FlowMessage::InstallFailed, L"安装失败！", L"Falha na instalação !"},
        {FlowMessage::ConfigureQuestion, L"安装成功！\n是否要对打印机进行端口设置？",
         L"Bem sucedido!\nGostaria de configurar a impressora agora ?"},
        {FlowMessage::TestPageQuestion, L"安装成功！\n是否要打印测试页？",
         L"Bem sucedido!\nSe quer imprimir a página de teste ?"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(FlowText(c.message, 2052), c.chinese);
        EXPECT_STREQ(FlowText(c.message, 1033), c.portuguese);
        EXPECT_STREQ(FlowText(c.message, 0), c.portuguese);
    }
}

namespace {
int g_searches = 0;
bool FindsUsb001(std::string& port)
{
    ++g_searches;
    port = "USB001";
    return true;
}
bool FindsNone(std::string& port)
{
    ++g_searches;
    port = "garbage";  // a failed search must not leak into the port
    return false;
}
}  // namespace

TEST(FlowDecisions, PortIsTheUsbPortFoundOrLpt1)
{
    struct Case {
        int interfaceIndex;
        bool (*finder)(std::string&);
        const char* port;
        int searches;
    };
    const Case cases[] = {
        {0, FindsUsb001, "USB001", 1},
        {0, FindsNone, "LPT1:", 1},
        {1, FindsUsb001, "LPT1:", 0},  // no search for the other interface
        {7, FindsUsb001, "LPT1:", 0},
    };
    for (const Case& c : cases) {
        g_searches = 0;
        EXPECT_EQ(ChoosePort(c.interfaceIndex, c.finder), c.port) << c.interfaceIndex;
        EXPECT_EQ(g_searches, c.searches) << c.interfaceIndex;
    }
}

TEST(FlowDecisions, QuestionAnswerAndEndCode)
{
    struct Case {
        const char* port;
        int answer;
        FlowMessage question;
        INT_PTR endCode;
        bool printsTestPage;
    };
    const Case cases[] = {
        {"LPT1:", IDYES, FlowMessage::ConfigureQuestion, IDOK, false},
        {"LPT1:", IDNO, FlowMessage::ConfigureQuestion, IDCANCEL, false},
        {"USB001", IDYES, FlowMessage::TestPageQuestion, IDCANCEL, true},
        {"USB001", IDNO, FlowMessage::TestPageQuestion, IDCANCEL, false},
        {"USB1000", IDOK, FlowMessage::TestPageQuestion, IDCANCEL, true},  // anything but No prints
    };
    for (const Case& c : cases) {
        const FlowMessage question = QuestionAfterInstall(c.port);
        EXPECT_EQ(question, c.question) << c.port;
        EXPECT_EQ(EndCodeAfterAnswer(question, c.answer), c.endCode) << c.port << " " << c.answer;
        EXPECT_EQ(PrintsTestPage(question, c.answer), c.printsTestPage) << c.port << " " << c.answer;
    }
}

TEST(FlowDecisions, MainWindowActsOnTheFormsEnd)
{
    struct Case {
        INT_PTR endCode;
        int driverKind;
        const wchar_t* printer;
        OptionsEndAction action;
    };
    const Case cases[] = {
        {IDCANCEL, 1, L"TPR-80C", OptionsEndAction::CloseProgram},
        {IDOK, 1, L"TPR-80C (Copy 1)", OptionsEndAction::OpenProperties},
        {IDOK, 1, L"", OptionsEndAction::CloseProgram},  // Enter before any install
        {IDOK, 0, L"TPR-80C", OptionsEndAction::StayOpen},
        {-1, 1, L"TPR-80C", OptionsEndAction::StayOpen},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ActionOnOptionsEnd(c.endCode, c.driverKind, c.printer), c.action) << c.endCode << " " << c.driverKind;
}

TEST(FlowDecisions, HiddenMessageIsDecipheredWithTheThreeByteKeyInTurn)
{
    const unsigned char key[3] = {0x01, 0x02, 0x04};
    const unsigned char zeros[7] = {};
    EXPECT_EQ(DecipherHiddenMessage(zeros, 7, key), std::string("\x01\x02\x04\x01\x02\x04\x01"));
    const unsigned char enciphered[3] = {'A' ^ 0x01, 'B' ^ 0x02, 'C' ^ 0x04};
    EXPECT_EQ(DecipherHiddenMessage(enciphered, 3, key), "ABC");

    const std::wstring message = HiddenMessage();
    EXPECT_EQ(message, L"Tillvane V7.17 - made with care by the Velto team.");
    EXPECT_LE(message.size(), 52u);
}
