// "Instalar Agora" end to end: the model check, the install on the chosen port, the question
// that follows, and how the program ends; the spooler is read back while and after it runs.
#include "e2e/AppHarness.h"

#include "resource.h"
#include "support/lib/UiDriver.h"

#include <gtest/gtest.h>
#include <winspool.h>

#include <vector>

using namespace testing_support;
using app_e2e::AppHarness;

namespace {

const wchar_t kConfigureQuestion[] = L"Bem sucedido!\nGostaria de configurar a impressora agora ?";

struct Queue {
    bool found = false;
    std::wstring port, driver;
};

Queue FindQueue(const std::wstring& name)
{
    Queue queue;
    DWORD needed = 0, count = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return queue;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (name != printers[i].pPrinterName) continue;
        queue.found = true;
        queue.port = printers[i].pPortName ? printers[i].pPortName : L"";
        queue.driver = printers[i].pDriverName ? printers[i].pDriverName : L"";
    }
    return queue;
}

bool DriverRegistered(const std::wstring& name)
{
    DWORD needed = 0, count = 0;
    ::EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(L"Windows x64"), 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!::EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(L"Windows x64"), 1, buffer.data(), needed, &needed,
                               &count))
        return false;
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (name == drivers[i].pName) return true;
    return false;
}

std::wstring DefaultPrinter()
{
    wchar_t name[256] = {};
    DWORD size = 256;
    return ::GetDefaultPrinterW(name, &size) ? name : L"";
}

}  // namespace

TEST(InstallFlow, WithoutAModelShowsTheMessageAndChangesNothing)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    for (int press = 1; press <= 2; ++press) {
        Click(app.form, IDC_START_INSTALL);
        const MessageBoxSeen box = app.NextMessage();
        ASSERT_TRUE(box.window) << "press " << press;
        EXPECT_EQ(box.caption, app_e2e::kMessageCaption);
        EXPECT_EQ(box.text, L"Selecione a Série da Impressora");
        ASSERT_TRUE(Answer(box, IDOK));
        for (int id : {IDC_START_INSTALL, IDC_EXIT, IDC_DETECT_USB_PORT, IDC_MODEL_ROW3, IDC_SET_DEFAULT, IDC_OS_WIN7,
                       IDC_INTERFACE_USB})
            EXPECT_TRUE(ControlEnabled(app.form, id)) << "press " << press << ", control " << id;
    }
    EXPECT_TRUE(app.program.Running());
    EXPECT_FALSE(FindQueue(L"TPR-80C").found);
}

struct LptCase {
    const char* name;
    int interfaceRadio;  // USB without a USB printer attached falls back to LPT1: as well
    bool setDefault;
};

class InstallOnLpt1 : public ::testing::TestWithParam<LptCase> {};

TEST_P(InstallOnLpt1, CreatesTheQueueAsksToConfigureAndEndsOnNo)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    Click(app.form, IDC_MODEL_ROW3);
    Click(app.form, GetParam().interfaceRadio);
    if (GetParam().setDefault) Click(app.form, IDC_SET_DEFAULT);
    ASSERT_TRUE(PollUntil([&] { return ControlChecked(app.form, IDC_MODEL_ROW3); }));
    Click(app.form, IDC_START_INSTALL);

    const MessageBoxSeen box = app.NextMessage(30000);
    ASSERT_TRUE(box.window) << "no question after the install";
    EXPECT_EQ(box.caption, app_e2e::kMessageCaption);
    EXPECT_EQ(box.text, kConfigureQuestion);

    // While the question is open the install is complete and the form's commands are disabled.
    EXPECT_TRUE(DriverRegistered(L"TPR-80C"));
    const Queue queue = FindQueue(L"TPR-80C");
    EXPECT_TRUE(queue.found);
    EXPECT_EQ(queue.port, L"LPT1:");
    EXPECT_EQ(queue.driver, L"TPR-80C");
    EXPECT_EQ(DefaultPrinter() == L"TPR-80C", GetParam().setDefault) << "default printer: " << DefaultPrinter().size();
    for (int id : {IDC_START_INSTALL, IDC_EXIT, IDC_DETECT_USB_PORT, IDC_MODEL_ROW3, IDC_SET_DEFAULT})
        EXPECT_FALSE(ControlEnabled(app.form, id)) << id;
    EXPECT_TRUE(ControlEnabled(app.form, IDC_OS_WIN7));

    ASSERT_TRUE(Answer(box, IDNO));
    EXPECT_TRUE(app.program.WaitForExit(5000)) << "the program is still running after No";
}

INSTANTIATE_TEST_SUITE_P(Choices, InstallOnLpt1,
                         ::testing::Values(LptCase{"Other", IDC_INTERFACE_OTHER, false},
                                           LptCase{"OtherAsDefault", IDC_INTERFACE_OTHER, true},
                                           LptCase{"UsbWithoutUsbPrinter", IDC_INTERFACE_USB, false}),
                         [](const ::testing::TestParamInfo<LptCase>& param) { return std::string(param.param.name); });

TEST(InstallFlow, YesToTheConfigureQuestionClosesTheFormAndKeepsTheBackdropForTheProperties)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    HWND backdrop = ::GetWindow(app.form, GW_OWNER);
    Click(app.form, IDC_MODEL_ROW3);
    Click(app.form, IDC_INTERFACE_OTHER);
    Click(app.form, IDC_START_INSTALL);
    const MessageBoxSeen box = app.NextMessage(30000);
    ASSERT_TRUE(box.window);
    ASSERT_EQ(box.text, kConfigureQuestion);
    ASSERT_TRUE(Answer(box, IDYES));
    EXPECT_TRUE(WaitForWindowGone(app.form));
    // The properties automation owns the backdrop now; the program does not end at once.
    ::Sleep(1000);
    EXPECT_TRUE(app.program.Running());
    EXPECT_TRUE(::IsWindowVisible(backdrop));
}

TEST(InstallFlow, WithoutPackageFoldersShowsTheStagingFailureThenTheFailureAndEnds)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm(L"win7", {L"Windows x64", L"Windows NT x86"}));
    Click(app.form, IDC_MODEL_ROW3);
    Click(app.form, IDC_START_INSTALL);

    const MessageBoxSeen staging = app.NextMessage(30000);
    ASSERT_TRUE(staging.window);
    EXPECT_EQ(staging.caption, app_e2e::kMessageCaption);
    EXPECT_EQ(staging.text, L"Malfunction !\nPls try using <Run as administrator>open this App");
    ASSERT_TRUE(Answer(staging, IDOK));

    const MessageBoxSeen failed = app.NextMessage();
    ASSERT_TRUE(failed.window);
    EXPECT_EQ(failed.text, L"Falha na instalação !");
    ASSERT_TRUE(Answer(failed, IDOK));

    EXPECT_TRUE(app.program.WaitForExit(5000));
    EXPECT_FALSE(FindQueue(L"TPR-80C").found);
}
