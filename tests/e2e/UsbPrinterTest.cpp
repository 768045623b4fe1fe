// The program with USB printers attached (simulated through the registry, their device paths
// backed by files): "Verificar Porta USB" and the whole install onto a USB printer port with the
// test page.
#include "e2e/AppHarness.h"

#include "resource.h"
#include "support/lib/UiDriver.h"
#include "support/lib/UsbSimulation.h"
#include "support/lib/WineHost.h"

#include <gtest/gtest.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace testing_support;
using app_e2e::AppHarness;

namespace {

std::wstring QueuePort(const std::wstring& name)
{
    DWORD needed = 0, count = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return L"";
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (name == printers[i].pPrinterName) return printers[i].pPortName ? printers[i].pPortName : L"";
    return L"";
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

std::string ArtifactDir()
{
    const std::string dir = std::string(VELTO_BUILD_DIR) + "/artifacts";
    ::CreateDirectoryW(WindowsPathOf(dir).c_str(), nullptr);
    return dir;
}

}  // namespace

TEST(UsbPortCheck, EveryListedPrinterPrintsItsPortAndTheBoxListsThem)
{
    const SimulatedUsbPrinter first = UsbPrinterAt(L"VID_0416&PID_5011", L"5&a&0&1", 1);
    const SimulatedUsbPrinter unlisted = UsbPrinterAt(L"VID_04B8&PID_0202", L"5&a&0&2", 2);
    const SimulatedUsbPrinter third = UsbPrinterAt(L"VID_0483&PID_5740", L"5&a&0&3", 3);
    for (const SimulatedUsbPrinter& printer : {first, unlisted, third}) {
        ASSERT_TRUE(AttachUsbPrinter(printer));
        ASSERT_TRUE(ConnectUsbDevice(printer));
    }
    AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    ASSERT_TRUE(ControlEnabled(app.form, IDC_DETECT_USB_PORT));

    const ULONGLONG pressed = ::GetTickCount64();
    Click(app.form, IDC_DETECT_USB_PORT);
    const MessageBoxSeen box = app.NextMessage();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(box.caption, app_e2e::kMessageCaption);
    EXPECT_EQ(box.text, L"A porta USB atual da impressora é :\r\n\tUSB001 ;\r\n\tUSB003 ;\r\n");
    EXPECT_FALSE(ControlEnabled(app.form, IDC_DETECT_USB_PORT));

    // Timer 3 enables the button again about 2 s after the press, while the box is still open.
    ASSERT_TRUE(PollUntil([&] { return ControlEnabled(app.form, IDC_DETECT_USB_PORT); }, 8000));
    const ULONGLONG enabledAfter = ::GetTickCount64() - pressed;
    EXPECT_GE(enabledAfter, 1900u);
    EXPECT_LE(enabledAfter, 4000u);
    EXPECT_TRUE(::IsWindow(box.window));

    const std::string expected1 = PortugueseNoteBytes("USB001"), expected3 = PortugueseNoteBytes("USB003");
    ASSERT_TRUE(WaitForUsbDeviceSize(first, expected1.size()));
    ASSERT_TRUE(WaitForUsbDeviceSize(third, expected3.size()));
    ASSERT_TRUE(Answer(box, IDOK));
    EXPECT_EQ(ReadUsbDevice(first), expected1);
    EXPECT_EQ(ReadUsbDevice(third), expected3);
    EXPECT_EQ(ReadUsbDevice(unlisted), "");
    EXPECT_TRUE(app.program.Running());
}

TEST(UsbPortCheck, NoListedPrinterSaysSoAndAnUnopenablePrinterIsStillListed)
{
    AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    Click(app.form, IDC_DETECT_USB_PORT);
    MessageBoxSeen box = app.NextMessage();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(box.text, L"Não foi encontrada uma impressora USB !");
    ASSERT_TRUE(Answer(box, IDOK));

    // A listed printer whose device cannot be opened (unplugged: no device behind the path).
    const SimulatedUsbPrinter unplugged = UsbPrinterAt(L"VID_1FC9&PID_2016", L"7&c&0&1", 2);
    ASSERT_TRUE(AttachUsbPrinter(unplugged));
    ASSERT_TRUE(PollUntil([&] { return ControlEnabled(app.form, IDC_DETECT_USB_PORT); }, 8000));
    Click(app.form, IDC_DETECT_USB_PORT);
    box = app.NextMessage();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(box.text, L"A porta USB atual da impressora é :\r\n\tUSB002 ;\r\n");
    ASSERT_TRUE(Answer(box, IDOK));
    EXPECT_EQ(UsbDeviceSize(unplugged), 0u);
}

struct TestPageCase {
    const char* name;
    int answer;
};

class UsbInstall : public ::testing::TestWithParam<TestPageCase> {};

TEST_P(UsbInstall, CreatesTheQueueOnTheUsbPortAndPrintsTheTestPageOnYes)
{
    const bool yes = GetParam().answer == IDYES;
    const std::string psPath = ArtifactDir() + "/install-testpage-" + GetParam().name + ".ps";
    ::DeleteFileW(WindowsPathOf(psPath).c_str());
    ASSERT_TRUE(MapPrinterPortToFile(L"USB001", psPath));
    const SimulatedUsbPrinter printer = UsbPrinterAt(L"VID_0416&PID_5011", L"5&a&0&1", 1);
    ASSERT_TRUE(AttachUsbPrinter(printer));
    ASSERT_TRUE(ConnectUsbDevice(printer));

    AppHarness app;
    ASSERT_TRUE(app.StartToForm());
    Click(app.form, IDC_MODEL_ROW3);
    Click(app.form, IDC_INTERFACE_USB);
    ASSERT_TRUE(PollUntil([&] { return ControlChecked(app.form, IDC_MODEL_ROW3); }));
    Click(app.form, IDC_START_INSTALL);

    const MessageBoxSeen box = app.NextMessage(30000);
    ASSERT_TRUE(box.window) << "no question after the install";
    EXPECT_EQ(box.caption, app_e2e::kMessageCaption);
    EXPECT_EQ(box.text, L"Bem sucedido!\nSe quer imprimir a página de teste ?");
    EXPECT_EQ(QueuePort(L"TPR-80C"), L"USB001");
    ASSERT_TRUE(Answer(box, GetParam().answer));

    EXPECT_TRUE(app.program.WaitForExit(15000)) << "the program is still running after the answer";
    // Nothing was sent to the printer's device directly; the page goes through the spooler.
    EXPECT_EQ(UsbDeviceSize(printer), 0u);
    std::string ps;
    const bool printed = ReadFileBytes(WindowsPathOf(psPath), ps);
    ASSERT_EQ(printed, yes);
    if (!yes) return;
    EXPECT_EQ(ps.rfind("%!PS", 0), 0u);
    EXPECT_NE(ps.find("\n%%Title: TPR-80C\n"), std::string::npos);
    EXPECT_EQ(CountOf(ps, "\n%%Page: "), 1u);
    EXPECT_EQ(CountOf(ps, "\nshowpage\n"), 1u);
    const std::string png = ArtifactDir() + "/install-testpage.png";
    if (RenderPostScriptToPng(psPath, png)) std::printf("test page picture: %s\n", png.c_str());
}

INSTANTIATE_TEST_SUITE_P(Answers, UsbInstall,
                         ::testing::Values(TestPageCase{"Yes", IDYES}, TestPageCase{"No", IDNO}),
                         [](const ::testing::TestParamInfo<TestPageCase>& param) {
                             return std::string(param.param.name);
                         });
