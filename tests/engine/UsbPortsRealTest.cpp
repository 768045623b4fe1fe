// The USB printer walk against Wine's own SetupAPI and registry, with printers attached through
// the registry keys Windows keeps for them.
#include "ports/UsbPorts.h"

#include "support/lib/UsbSimulation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using testing_support::AttachUsbPrinter;
using testing_support::HookedUsbPrinterSystem;
using testing_support::SetUsbInterfaceValue;
using testing_support::SetUsbLinked;
using testing_support::SimulatedUsbPrinter;
using testing_support::UsbDevicePath;
using testing_support::UsbPrinterAt;
using testing_support::UsbTraceCapture;

namespace {

// Printers attached by a test are detached at its end, so that cases run together in one
// prefix do not see each other's printers.
class UsbPortsReal : public ::testing::Test {
protected:
    void SetUp() override { g_win8OrLater = 0; }
    void TearDown() override
    {
        for (const SimulatedUsbPrinter& printer : attached_) testing_support::DetachUsbPrinter(printer);
        g_win8OrLater = 0;
    }
    bool Attach(const SimulatedUsbPrinter& printer)
    {
        attached_.push_back(printer);
        return AttachUsbPrinter(printer);
    }

private:
    std::vector<SimulatedUsbPrinter> attached_;
};

}  // namespace

TEST_F(UsbPortsReal, NoPrinterLeavesThePortNameAlone)
{
    std::string port = "LPT1:";
    EXPECT_FALSE(FindUsbPrinterPort(port));
    EXPECT_EQ(port, "LPT1:");

    ASSERT_TRUE(Attach(UsbPrinterAt(L"VID_ABCD&PID_0001", L"5&a&0&1", 4)));
    EXPECT_FALSE(FindUsbPrinterPort(port));
    EXPECT_EQ(port, "LPT1:");
}

TEST_F(UsbPortsReal, FirstListedPrinterInEnumerationOrderGivesThePort)
{
    // Wine lists the interface keys in name order: the unlisted vendor ABCD comes last.
    ASSERT_TRUE(Attach(UsbPrinterAt(L"VID_ABCD&PID_0001", L"5&a&0&1", 9)));
    ASSERT_TRUE(Attach(UsbPrinterAt(L"VID_0483&PID_5740", L"5&a&0&3", 3)));
    ASSERT_TRUE(Attach(UsbPrinterAt(L"VID_0416&PID_5011", L"5&a&0&2", 12)));
    UsbTraceCapture traces;
    std::string port = "LPT1:";
    EXPECT_TRUE(FindUsbPrinterPort(port));
    EXPECT_EQ(port, "USB012");
    // Link state 1 and port number 12 were read for the first printer only.
    EXPECT_EQ(traces.Lines(), (std::vector<std::wstring>{L"USB001", L"USB012"}));
}

TEST_F(UsbPortsReal, ReadInterfaceValueReadsTheInterfaceKeys)
{
    const SimulatedUsbPrinter printer = UsbPrinterAt(L"VID_0483&PID_7A21", L"5&2c91e0f&0&3", 7);
    ASSERT_TRUE(Attach(printer));
    ASSERT_TRUE(SetUsbInterfaceValue(printer, L"Device Parameters", L"Too Big", std::string(262, '\x01')));
    ASSERT_TRUE(SetUsbInterfaceValue(printer, L"Device Parameters", L"Just Fits", std::string(261, '\x02')));
    const std::wstring path = UsbDevicePath(printer);
    const struct {
        const wchar_t* subkey;
        const wchar_t* value;
        bool read;
        const wchar_t* trace;
    } cases[] = {
        {L"Device Parameters", L"Port Number", true, L"USB007"},
        {L"Control", L"Linked", true, L"USB001"},
        {L"Device Parameters", L"Just Fits", true, L"USB33686018"},
        {L"Device Parameters", L"Too Big", false, L"读取键失败"},
        {L"Device Parameters", L"Missing", false, L"读取键失败"},
        {L"Unknown Subkey", L"Linked", false, L"打开键失败"},
    };
    for (const auto& c : cases) {
        UsbTraceCapture traces;
        InterfaceValueBuffer buffer = {};
        EXPECT_EQ(ReadInterfaceValue(path, c.subkey, c.value, buffer), c.read) << c.value;
        EXPECT_EQ(traces.Lines(), std::vector<std::wstring>{c.trace}) << c.value;
    }
    InterfaceValueBuffer buffer = {};
    ASSERT_TRUE(ReadInterfaceValue(path, L"Device Parameters", L"Port Number", buffer));
    EXPECT_EQ(PortNumberOf(buffer), 7u);
}

TEST_F(UsbPortsReal, LinkStateCountsOnlyBeforeWindows8)
{
    // Wine lists only linked interfaces: the link state changes after the list is made, as when
    // a printer goes off-line during the walk.
    const struct {
        const char* name;
        const wchar_t* edition;
        std::optional<DWORD> linked;
        bool qualifies;
        std::vector<std::wstring> traces;
    } cases[] = {
        {"Windows 7, off-line", L"Windows 7", 0, false, {L"USB000", L"print is off-line"}},
        {"Windows 7, no Control key", L"Windows 7", std::nullopt, false, {L"打开键失败", L"read regkey failed"}},
        {"Windows 10, off-line", L"Windows 10", 0, true, {L"Windows 10,1", L"USB005"}},
        {"Windows 10, no Control key", L"Windows 10", std::nullopt, true, {L"Windows 10,1", L"USB005"}},
    };
    for (const auto& c : cases) {
        g_win8OrLater = 0;
        const SimulatedUsbPrinter printer = UsbPrinterAt(L"VID_1FC9&PID_0001", L"5&a&0&1", 5);
        ASSERT_TRUE(Attach(printer));
        HookedUsbPrinterSystem system;
        system.afterSetOpened = [&] { ASSERT_TRUE(SetUsbLinked(printer, c.linked)); };
        UsbTraceCapture traces;
        std::wstring edition = c.edition;
        MarkWin8OrLater(edition);
        std::string port = "LPT1:";
        EXPECT_EQ(FindUsbPrinterPort(system, port), c.qualifies) << c.name;
        EXPECT_EQ(port, c.qualifies ? "USB005" : "LPT1:") << c.name;
        EXPECT_EQ(traces.Lines(), c.traces) << c.name;
        EXPECT_EQ(system.closes, 1) << c.name;
        testing_support::DetachUsbPrinter(printer);
    }
}

TEST_F(UsbPortsReal, OnlyTheFirst255InterfacesAreExamined)
{
    // Unlisted printers (VID_0000) sort before the listed ones (VID_0416); ports are the indices.
    const struct {
        int unlisted;
        bool found;
        const char* port;
    } cases[] = {{255, false, "LPT1:"}, {254, true, "USB254"}};
    for (const auto& c : cases) {
        std::vector<SimulatedUsbPrinter> printers;
        for (int i = 0; i < 300; ++i) {
            wchar_t instance[32];
            swprintf(instance, 32, L"5&a&0&%03d", i);
            printers.push_back(UsbPrinterAt(i < c.unlisted ? L"VID_0000&PID_5011" : L"VID_0416&PID_5011", instance,
                                       static_cast<DWORD>(i)));
            ASSERT_TRUE(Attach(printers.back()));
        }
        std::string port = "LPT1:";
        EXPECT_EQ(FindUsbPrinterPort(port), c.found) << c.unlisted;
        EXPECT_EQ(port, c.port) << c.unlisted;
        for (const SimulatedUsbPrinter& printer : printers) testing_support::DetachUsbPrinter(printer);
    }
}

TEST_F(UsbPortsReal, FailingSecondDetailRequestEndsTheSearch)
{
    ASSERT_TRUE(Attach(UsbPrinterAt(L"VID_0416&PID_5011", L"5&a&0&1", 1)));
    ASSERT_TRUE(Attach(UsbPrinterAt(L"VID_0416&PID_5011", L"5&a&0&2", 2)));
    HookedUsbPrinterSystem system;
    system.failDetailRead = 0;
    std::string port = "LPT1:";
    EXPECT_FALSE(FindUsbPrinterPort(system, port));
    EXPECT_EQ(port, "LPT1:");
    EXPECT_EQ(system.detailReads, 1);
    EXPECT_EQ(system.closes, 1);
}
