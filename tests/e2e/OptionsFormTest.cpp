// The options form as the operator sees it: title, captions, hidden controls, the recommendation
// for the detected Windows, the hidden message, and the ways out that install nothing.
#include "e2e/AppHarness.h"

#include "resource.h"
#include "support/lib/UiDriver.h"
#include "support/lib/WineHost.h"

#include <gtest/gtest.h>
#include <winspool.h>

#include <algorithm>
#include <vector>

using namespace testing_support;
using app_e2e::AppHarness;

namespace {

std::vector<std::wstring> QueueNames()
{
    std::vector<std::wstring> names;
    DWORD needed = 0, count = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count)) return names;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) names.push_back(printers[i].pPrinterName);
    return names;
}

std::string Joined(const std::vector<std::wstring>& names)
{
    std::string out;
    for (const std::wstring& name : names) {
        for (wchar_t c : name) out += c < 128 ? static_cast<char>(c) : '?';
        out += "; ";
    }
    return out;
}

LONG StyleOf(HWND dialog, int id) { return ::GetWindowLongW(::GetDlgItem(dialog, id), GWL_STYLE); }

}  // namespace

TEST(OptionsForm, ShowsThePortugueseCaptionsWithTheHiddenControlsHiddenAndNoModel)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm(L"win7"));
    HWND form = app.form;

    struct Expected {
        int id;
        const wchar_t* caption;
        bool shown;
    };
    const Expected controls[] = {
        {IDC_OS_GROUP, L"Selecionar SO Windows", true},
        {IDC_OS_WIN10, L"Windows 10", true},
        {IDC_OS_WINXP, L"Windows XP", true},
        {IDC_OS_WIN2003, L"Windows 2003", true},
        {IDC_OS_VISTA, L"Windows Vista", true},
        {IDC_OS_WIN7, L"Windows 7", true},
        {IDC_OS_WIN8, L"Windows 8/8.1", true},
        {IDC_DRIVER_KIND_GROUP, L"Select Install Port", false},
        {IDC_SERIAL_DRIVER, L"Install USB Virtual Serial Port Driver", false},
        {IDC_PRINTER_DRIVER, L"Select POS-Printer Type", false},
        {IDC_MODEL_GROUP, L"Selecione a Série da Impressora", true},
        {IDC_MODEL_ROW0, L"RK-M5T", false},
        {IDC_MODEL_ROW1, L"DV-N8", false},
        {IDC_MODEL_ROW2, L"HS-e07", false},
        {IDC_MODEL_ROW3, L"TPR-80C", true},
        {IDC_MODEL_ROW4, L"RK-M7", false},
        {IDC_MODEL_ROW5, L"HS-e06", false},
        {IDC_MODEL_ROW6, L"RK-M6", false},
        {IDC_SET_DEFAULT, L"Definir Impressora Padrão", true},
        {IDC_START_INSTALL, L"Instalar Agora", true},
        {IDC_EXIT, L"Cancelar", true},
        {IDC_DETECT_USB_PORT, L"Verificar Porta USB", true},
        {IDC_REMARK, L"*Remarks: \"C\" means item with cutter", false},
        {IDC_INTERFACE_LABEL, L"Interface da Impressora:", true},
        {IDC_INTERFACE_USB, L"USB", true},
        {IDC_INTERFACE_OTHER, L"Outro", true},
    };
    EXPECT_EQ(WindowText(form), L"Configuração de Instalação");
    for (const Expected& control : controls) {
        EXPECT_EQ(ControlText(form, control.id), control.caption) << control.id;
        EXPECT_EQ(ControlVisible(form, control.id), control.shown) << control.id;
        EXPECT_TRUE(ControlEnabled(form, control.id)) << control.id;
    }
    for (int id = IDC_MODEL_ROW0; id <= IDC_MODEL_ROW6; ++id) EXPECT_FALSE(ControlChecked(form, id)) << id;
    EXPECT_TRUE(ControlChecked(form, IDC_PRINTER_DRIVER));
    EXPECT_TRUE(ControlChecked(form, IDC_INTERFACE_USB));
    EXPECT_FALSE(ControlChecked(form, IDC_SET_DEFAULT));

    // The recommendation line reports double-clicks; no push button is the default one.
    EXPECT_NE(StyleOf(form, IDC_RECOMMEND) & SS_NOTIFY, 0);
    for (int id : {IDC_START_INSTALL, IDC_EXIT, IDC_DETECT_USB_PORT})
        EXPECT_EQ(StyleOf(form, id) & BS_TYPEMASK, BS_PUSHBUTTON) << id;
    EXPECT_NE(::GetWindowLongW(::GetDlgItem(form, IDC_REMARK), GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);

    const std::wstring shot = BuildDir() + L"\\screenshots\\options-form.bmp";
    ::CreateDirectoryW((BuildDir() + L"\\screenshots").c_str(), nullptr);
    EXPECT_TRUE(SaveScreenshot(shot)) << "screenshot of the form over the backdrop";
}

struct EditionCase {
    const wchar_t* wineVersion;
    const wchar_t* recommendation;
    int selectedRadio;
};

class OptionsRecommendation : public ::testing::TestWithParam<EditionCase> {};

TEST_P(OptionsRecommendation, NamesTheDetectedWindowsAndSelectsItsRadio)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm(GetParam().wineVersion));
    EXPECT_EQ(ControlText(app.form, IDC_RECOMMEND), GetParam().recommendation);
    for (int id = IDC_OS_WIN10; id <= IDC_OS_WIN8; ++id)
        EXPECT_EQ(ControlChecked(app.form, id), id == GetParam().selectedRadio) << id;
}

std::string EditionCaseName(const ::testing::TestParamInfo<EditionCase>& param)
{
    const std::wstring version = param.param.wineVersion;
    return std::string(version.begin(), version.end());
}

INSTANTIATE_TEST_SUITE_P(
    Editions, OptionsRecommendation,
    ::testing::Values(
        EditionCase{L"win10", L" Você está usando SO Windows 10 x64. Por favor selecione Windows 10 para instalar.",
                    IDC_OS_WIN10},
        EditionCase{L"win81", L" Você está usando SO Windows 8.1 x64. Por favor selecione Windows 8.1 para instalar.",
                    IDC_OS_WIN8},
        EditionCase{L"win7", L" Você está usando SO Windows 7 x64. Por favor selecione Windows 7 para instalar.",
                    IDC_OS_WIN7},
        EditionCase{L"winxp", L" Você está usando SO Windows XP x64. Por favor selecione Windows XP para instalar.",
                    IDC_OS_WINXP}),
    EditionCaseName);

TEST(OptionsForm, ShowsTheHiddenMessageOnEveryFifthDoubleClick)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    for (int round = 0; round < 2; ++round) {
        for (int click = 1; click <= 4; ++click) DoubleClick(app.form, IDC_RECOMMEND);
        EXPECT_TRUE(NoMessageBoxWithin(app.Pid(), 500)) << "after " << (round * 5 + 4) << " double-clicks";
        DoubleClick(app.form, IDC_RECOMMEND);
        const MessageBoxSeen box = app.NextMessage();
        ASSERT_TRUE(box.window) << "no message on double-click " << (round * 5 + 5);
        EXPECT_EQ(box.caption, app_e2e::kMessageCaption);
        EXPECT_EQ(box.text, L"Tillvane V7.17 - made with care by the Velto team.");
        ASSERT_TRUE(Answer(box, IDOK));
    }
}

TEST(OptionsForm, AboutItemOfTheSystemMenuShowsTheAboutBoxWithTheProgramIcon)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    HWND backdrop = ::GetWindow(app.form, GW_OWNER);
    ASSERT_TRUE(backdrop);
    ::PostMessageW(backdrop, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitForTopWindow(app.Pid(), L"关于 Tillvane");
    ASSERT_TRUE(about);
    HWND icon = ::FindWindowExW(about, nullptr, L"Static", nullptr);
    ASSERT_TRUE(icon);
    EXPECT_NE(::SendMessageW(icon, STM_GETICON, 0, 0), 0) << "the icon control shows no icon";
    ::PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForWindowGone(about));
    EXPECT_TRUE(app.program.Running());
}

// Every way out of the form before an install ends the whole program at once. Enter ends the
// form with IDOK but without a printer: there is nothing to open, so the program ends as well.
enum class WayOut { ExitButton, EscapeKey, CloseBox, EnterKey };

class OptionsWayOut : public ::testing::TestWithParam<WayOut> {};

TEST_P(OptionsWayOut, EndsTheProgramAndInstallsNothing)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    switch (GetParam()) {
    case WayOut::ExitButton:
        Click(app.form, IDC_EXIT);
        break;
    case WayOut::EscapeKey:
        ::PostMessageW(app.form, WM_KEYDOWN, VK_ESCAPE, 0);
        break;
    case WayOut::CloseBox:
        ::PostMessageW(app.form, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case WayOut::EnterKey:
        ::PostMessageW(app.form, WM_KEYDOWN, VK_RETURN, 0);
        break;
    }
    EXPECT_TRUE(app.program.WaitForExit(5000)) << "the program is still running";
    EXPECT_EQ(app.program.ExitCode(), 0u);
    const std::vector<std::wstring> queues = QueueNames();
    EXPECT_EQ(std::count(queues.begin(), queues.end(), L"TPR-80C"), 0) << Joined(queues);
}

std::string WayOutName(const ::testing::TestParamInfo<WayOut>& param)
{
    static const char* const kNames[] = {"ExitButton", "EscapeKey", "CloseBox", "EnterKey"};
    return kNames[static_cast<int>(param.param)];
}

INSTANTIATE_TEST_SUITE_P(Ways, OptionsWayOut,
                         ::testing::Values(WayOut::ExitButton, WayOut::EscapeKey, WayOut::CloseBox, WayOut::EnterKey),
                         WayOutName);
