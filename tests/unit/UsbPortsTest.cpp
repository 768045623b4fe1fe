#include "ports/UsbPorts.h"

#include "support/lib/UsbSimulation.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using testing_support::DwordBytes;
using testing_support::FakeUsbPrinterSystem;
using testing_support::UsbTraceCapture;

namespace {

const std::wstring kClassSuffix = L"#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

std::wstring PathOf(const std::wstring& vendor, const std::wstring& instance = L"5&1&0&1")
{
    return L"\\\\?\\usb#" + vendor + L"&pid_5011#" + instance + kClassSuffix;
}

// g_win8OrLater is process-wide; every test here starts from a process that never saw Windows 8.
class UsbPorts : public ::testing::Test {
protected:
    void SetUp() override { g_win8OrLater = 0; }
    void TearDown() override { g_win8OrLater = 0; }
};

struct Qualified {
    std::wstring devicePath;
    DWORD portNumber;
    bool operator==(const Qualified& other) const
    {
        return devicePath == other.devicePath && portNumber == other.portNumber;
    }
};

std::vector<Qualified> WalkAll(FakeUsbPrinterSystem& system, UsbWalkEnd* end = nullptr)
{
    std::vector<Qualified> found;
    const UsbWalkEnd result = WalkUsbPrinters(system, kUsbPrintInterfaceClass, [&](const std::wstring& path, DWORD port) {
        found.push_back({path, port});
        return true;
    });
    if (end) *end = result;
    return found;
}

}  // namespace

TEST_F(UsbPorts, MarkWin8OrLaterMatchesTheFourNamesWholeAndWithCase)
{
    const struct {
        const wchar_t* edition;
        const wchar_t* after;
        unsigned char flag;
    } cases[] = {
        {L"Windows 8", L"Windows 8,1", 1},
        {L"Windows 8.1", L"Windows 8.1,1", 1},
        {L"Windows 10", L"Windows 10,1", 1},
        {L"Windows 10.1", L"Windows 10.1,1", 1},
        {L"windows 10", L"windows 10", 0},
        {L"WINDOWS 8", L"WINDOWS 8", 0},
        {L"Windows 7", L"Windows 7", 0},
        {L"Windows XP", L"Windows XP", 0},
        {L"Windows 10 ", L"Windows 10 ", 0},
        {L"Windows 10,1", L"Windows 10,1", 0},
        {L"Windows 11", L"Windows 11", 0},
        {L"", L"", 0},
    };
    for (const auto& c : cases) {
        g_win8OrLater = 0;
        UsbTraceCapture traces;
        std::wstring edition = c.edition;
        MarkWin8OrLater(edition);
        EXPECT_EQ(edition, c.after) << c.edition;
        EXPECT_EQ(g_win8OrLater, c.flag) << c.edition;
        const std::vector<std::wstring> expectedTraces =
            c.flag ? std::vector<std::wstring>{c.after} : std::vector<std::wstring>{};
        EXPECT_EQ(traces.Lines(), expectedTraces) << c.edition;
    }
}

TEST_F(UsbPorts, MarkWin8OrLaterRewritesOnceAndTheFlagStaysSet)
{
    std::wstring edition = L"Windows 10";
    MarkWin8OrLater(edition);
    MarkWin8OrLater(edition);
    EXPECT_EQ(edition, L"Windows 10,1");
    std::wstring older = L"Windows 7";
    MarkWin8OrLater(older);
    EXPECT_EQ(older, L"Windows 7");
    EXPECT_EQ(g_win8OrLater, 1);
}

TEST_F(UsbPorts, PortNameHasAtLeastThreeDigits)
{
    const std::pair<unsigned long, const char*> cases[] = {
        {0, "USB000"},    {1, "USB001"},    {9, "USB009"},      {10, "USB010"},
        {12, "USB012"},   {123, "USB123"},  {999, "USB999"},    {1000, "USB1000"},
        {4294967295ul, "USB4294967295"},
    };
    for (const auto& c : cases) EXPECT_EQ(UsbPortName(c.first), c.second);
}

TEST_F(UsbPorts, VendorTestReadsTheEightCharactersAfterThePrefix)
{
    const struct {
        std::wstring path;
        bool listed;
    } cases[] = {
        {PathOf(L"vid_067b"), true},
        {PathOf(L"vid_0416"), true},
        {PathOf(L"vid_1cbe"), true},
        {PathOf(L"vid_0483"), true},
        {PathOf(L"vid_0471"), true},
        {PathOf(L"vid_1fc9"), true},
        {PathOf(L"VID_0416"), true},
        {PathOf(L"VID_1fc9"), true},
        {PathOf(L"Vid_1CBE"), true},
        {PathOf(L"vid_abcd"), false},
        {PathOf(L"vid_0417"), false},
        {PathOf(L"pid_0416"), false},
        // Neither the prefix nor what follows the vendor id is looked at.
        {L"\\\\.\\usb#vid_0483&pid_7a21#x", true},
        {L"abcdefghvid_0471", true},
        {L"\\\\?\\usb#vid_0416", true},
        // Shorter than the eight bytes: not listed, and nothing past the end is read.
        {L"\\\\?\\usb#vid_041", false},
        {L"\\\\?\\usb#", false},
        {L"", false},
        // A non-ASCII character where the id should be narrows to something that is no id.
        {L"\\\\?\\usb#vid_041\u00e9&pid", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsListedUsbVendor(c.path), c.listed) << c.path;
}

TEST_F(UsbPorts, VendorTestRejectsAPathThatDoesNotConvert)
{
    // Three bytes per character in UTF-8: more than the twice-the-length buffer holds.
    std::wstring path = L"\\\\?\\usb#vid_0416&";
    path.append(40, L'\u6253');
    EXPECT_FALSE(IsListedUsbVendor(path, CP_UTF8));
    EXPECT_TRUE(IsListedUsbVendor(L"\\\\?\\usb#vid_0416&\u6253", CP_UTF8));
    // An unknown code page converts nothing.
    EXPECT_FALSE(IsListedUsbVendor(PathOf(L"vid_0416"), 12345));
}

TEST_F(UsbPorts, InterfaceKeyPathIsBuiltCharacterForCharacter)
{
    const std::wstring path =
        L"\\\\?\\usb#vid_0483&pid_7a21#5&2c91e0f&0&3#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    EXPECT_EQ(InterfaceKeyPath(path, L"Device Parameters"),
              L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\"
              L"##?#usb#vid_0483&pid_7a21#5&2c91e0f&0&3#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\#\\Device Parameters");
    EXPECT_EQ(InterfaceKeyPath(path, L"Control"),
              L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\"
              L"##?#usb#vid_0483&pid_7a21#5&2c91e0f&0&3#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\#\\Control");
    // Nothing in the path is a format, and every backslash becomes #.
    EXPECT_EQ(InterfaceKeyPath(L"\\\\?\\usb#%s%d\\x", L"Control").substr(86), L"##?#usb#%s%d#x\\#\\Control");
    EXPECT_EQ(InterfaceKeyPath(L"", L"Control").size(), 86u + 3u + 7u);
}

TEST_F(UsbPorts, PortNumberIsTheFirstFourBytesLittleEndian)
{
    const struct {
        std::string bytes;
        DWORD port;
    } cases[] = {
        {std::string("\x01\0\0\0", 4), 1},
        {std::string("\xe8\x03\0\0", 4), 1000},
        {std::string("\x78\x56\x34\x12", 4), 0x12345678},
        {std::string("\x07", 1), 7},
        {std::string("\x07\0\0\0\x09", 5), 7},
    };
    for (const auto& c : cases) {
        InterfaceValueBuffer buffer = {};
        std::copy(c.bytes.begin(), c.bytes.end(), buffer);
        EXPECT_EQ(PortNumberOf(buffer), c.port);
    }
}

TEST_F(UsbPorts, ReadInterfaceValueTracesEachOutcome)
{
    const std::wstring path = PathOf(L"vid_0416");
    FakeUsbPrinterSystem system;
    system.SetValue(path, L"Device Parameters", L"Port Number", DwordBytes(3));
    system.SetValue(path, L"Device Parameters", L"Too Big", std::string(262, '\x01'));
    system.SetValue(path, L"Device Parameters", L"Just Fits", std::string(261, '\x02'));
    const struct {
        const wchar_t* subkey;
        const wchar_t* value;
        bool read;
        const wchar_t* trace;
    } cases[] = {
        {L"Device Parameters", L"Port Number", true, L"USB003"},
        {L"Device Parameters", L"Just Fits", true, L"USB33686018"},  // 0x02020202
        {L"Device Parameters", L"Too Big", false, L"读取键失败"},
        {L"Device Parameters", L"Missing", false, L"读取键失败"},
        {L"Control", L"Linked", false, L"打开键失败"},
    };
    for (const auto& c : cases) {
        UsbTraceCapture traces;
        InterfaceValueBuffer buffer = {};
        EXPECT_EQ(ReadInterfaceValue(system, path, c.subkey, c.value, buffer), c.read) << c.value;
        EXPECT_EQ(traces.Lines(), std::vector<std::wstring>{c.trace}) << c.value;
        EXPECT_EQ(system.keysAsked.back(), InterfaceKeyPath(path, c.subkey));
    }
}

TEST_F(UsbPorts, WalkVerdictsPerInterface)
{
    const std::string on = DwordBytes(1);
    const std::string off = DwordBytes(0);
    const struct {
        const char* name;
        unsigned char win8OrLater;
        DWORD flags;
        std::wstring vendor;
        std::optional<std::string> linked;
        std::optional<std::string> port;
        bool qualifies;
        std::vector<std::wstring> traces;
        std::vector<std::wstring> reads;
    } cases[] = {
        {"linked", 0, 1, L"vid_0416", on, DwordBytes(3), true, {L"USB001", L"USB003"},
         {L"Control\\Linked", L"Device Parameters\\Port Number"}},
        {"upper-case id", 0, 1, L"VID_0416", on, DwordBytes(3), true, {L"USB001", L"USB003"},
         {L"Control\\Linked", L"Device Parameters\\Port Number"}},
        {"flags 3", 0, 3, L"vid_0416", on, DwordBytes(3), false, {}, {}},
        {"flags 0", 0, 0, L"vid_0416", on, DwordBytes(3), false, {}, {}},
        {"flags 2", 0, 2, L"vid_0416", on, DwordBytes(3), false, {}, {}},
        {"unlisted vendor", 0, 1, L"vid_abcd", on, DwordBytes(3), false, {}, {}},
        {"off-line", 0, 1, L"vid_0416", off, DwordBytes(3), false, {L"USB000", L"print is off-line"},
         {L"Control\\Linked"}},
        {"no Control key", 0, 1, L"vid_0416", std::nullopt, DwordBytes(3), false,
         {L"打开键失败", L"read regkey failed"}, {L"Control\\Linked"}},
        {"no port number", 0, 1, L"vid_0416", on, std::nullopt, false,
         {L"USB001", L"打开键失败", L"read regkey failed"}, {L"Control\\Linked", L"Device Parameters\\Port Number"}},
        {"port number too big", 0, 1, L"vid_0416", on, std::string(300, '\x05'), false,
         {L"USB001", L"读取键失败", L"read regkey failed"}, {L"Control\\Linked", L"Device Parameters\\Port Number"}},
        // Windows 8 and later: the link state is never read.
        {"off-line, Windows 10", 1, 1, L"vid_0416", off, DwordBytes(3), true, {L"USB003"},
         {L"Device Parameters\\Port Number"}},
        {"no Control key, Windows 10", 1, 1, L"vid_0416", std::nullopt, DwordBytes(3), true, {L"USB003"},
         {L"Device Parameters\\Port Number"}},
        {"flags 3, Windows 10", 1, 3, L"vid_0416", on, DwordBytes(3), false, {}, {}},
    };
    for (const auto& c : cases) {
        g_win8OrLater = c.win8OrLater;
        FakeUsbPrinterSystem system;
        system.Add(PathOf(c.vendor), c.linked, c.port, c.flags);
        UsbTraceCapture traces;
        UsbWalkEnd end = UsbWalkEnd::Failed;
        const std::vector<Qualified> found = WalkAll(system, &end);
        EXPECT_EQ(end, UsbWalkEnd::Completed) << c.name;
        const std::vector<Qualified> expected =
            c.qualifies ? std::vector<Qualified>{{PathOf(c.vendor), 3}} : std::vector<Qualified>{};
        EXPECT_EQ(found, expected) << c.name;
        EXPECT_EQ(traces.Lines(), c.traces) << c.name;
        EXPECT_EQ(system.valueReads, c.reads) << c.name;
        EXPECT_EQ(system.enumerated, (std::vector<DWORD>{0, 1})) << c.name;
        EXPECT_EQ(system.opens, 1) << c.name;
        EXPECT_EQ(system.closes, 1) << c.name;
        EXPECT_EQ(system.allocations, system.frees) << c.name;
    }
}

TEST_F(UsbPorts, BothReadsShareOneBufferZeroedPerInterface)
{
    // Linked as a REG_DWORD 0x0101, Port Number as a single byte: the port number's upper bytes
    // are what the link read left there. The next interface starts from zeros again.
    FakeUsbPrinterSystem system;
    system.Add(PathOf(L"vid_0416", L"1"), DwordBytes(0x0101), std::string("\x05", 1));
    system.Add(PathOf(L"vid_0416", L"2"), std::string("\x01", 1), std::string("\x02", 1));
    const std::vector<Qualified> expected = {{PathOf(L"vid_0416", L"1"), 0x0105}, {PathOf(L"vid_0416", L"2"), 2}};
    EXPECT_EQ(WalkAll(system), expected);
}

TEST_F(UsbPorts, WalkGoesThroughIndices0To254Only)
{
    FakeUsbPrinterSystem system;
    for (int i = 0; i < 300; ++i)
        system.Add(PathOf(L"vid_0483", std::to_wstring(i)), DwordBytes(1), DwordBytes(static_cast<DWORD>(i)));
    UsbWalkEnd end = UsbWalkEnd::Failed;
    const std::vector<Qualified> found = WalkAll(system, &end);
    EXPECT_EQ(end, UsbWalkEnd::Completed);
    ASSERT_EQ(found.size(), 255u);
    EXPECT_EQ(found.back().portNumber, 254u);
    ASSERT_EQ(system.enumerated.size(), 255u);
    EXPECT_EQ(system.enumerated.back(), 254u);
    EXPECT_EQ(system.closes, 1);
    EXPECT_EQ(system.allocations, 255);
    EXPECT_EQ(system.frees, 255);
}

TEST_F(UsbPorts, FailingSecondDetailRequestEndsTheWalk)
{
    FakeUsbPrinterSystem system;
    system.Add(PathOf(L"vid_0416", L"1"), DwordBytes(1), DwordBytes(1));
    system.Add(PathOf(L"vid_0416", L"2"), DwordBytes(1), DwordBytes(2));
    system.Add(PathOf(L"vid_0416", L"3"), DwordBytes(1), DwordBytes(3));
    system.interfaces[1].detailFails = true;
    UsbWalkEnd end = UsbWalkEnd::Completed;
    const std::vector<Qualified> found = WalkAll(system, &end);
    EXPECT_EQ(end, UsbWalkEnd::Failed);
    EXPECT_EQ(found, (std::vector<Qualified>{{PathOf(L"vid_0416", L"1"), 1}}));
    EXPECT_EQ(system.enumerated, (std::vector<DWORD>{0, 1}));
    EXPECT_EQ(system.closes, 1);
    EXPECT_EQ(system.allocations, 2);
    EXPECT_EQ(system.frees, 2);
}

TEST_F(UsbPorts, InterfaceWithoutDetailSizeOrMemoryIsPassedOver)
{
    // No size, or a size too small for the size field itself: the field is never written.
    for (DWORD size : {0ul, 2ul, 5ul}) {
        FakeUsbPrinterSystem system;
        system.Add(PathOf(L"vid_0416", L"1"), DwordBytes(1), DwordBytes(1));
        system.Add(PathOf(L"vid_0416", L"2"), DwordBytes(1), DwordBytes(2));
        system.interfaces[0].detailSize = size;
        UsbWalkEnd end = UsbWalkEnd::Failed;
        EXPECT_EQ(WalkAll(system, &end), (std::vector<Qualified>{{PathOf(L"vid_0416", L"2"), 2}})) << size;
        EXPECT_EQ(end, UsbWalkEnd::Completed);
        EXPECT_EQ(system.allocations, 1) << size;
        EXPECT_EQ(system.detailReads, 1) << size;
    }

    FakeUsbPrinterSystem system;
    system.Add(PathOf(L"vid_0416", L"1"), DwordBytes(1), DwordBytes(1));
    system.Add(PathOf(L"vid_0416", L"2"), DwordBytes(1), DwordBytes(2));
    system.failAllocations = true;
    UsbWalkEnd end = UsbWalkEnd::Failed;
    EXPECT_TRUE(WalkAll(system, &end).empty());
    EXPECT_EQ(end, UsbWalkEnd::Completed);
    EXPECT_EQ(system.detailReads, 0);
    EXPECT_EQ(system.enumerated, (std::vector<DWORD>{0, 1, 2}));
    EXPECT_EQ(system.closes, 1);
}

TEST_F(UsbPorts, NoInterfaceSetEndsTheWalkWithFailure)
{
    FakeUsbPrinterSystem system;
    system.Add(PathOf(L"vid_0416"), DwordBytes(1), DwordBytes(1));
    system.setAvailable = false;
    UsbWalkEnd end = UsbWalkEnd::Completed;
    EXPECT_TRUE(WalkAll(system, &end).empty());
    EXPECT_EQ(end, UsbWalkEnd::Failed);
    EXPECT_TRUE(system.enumerated.empty());
}

TEST_F(UsbPorts, FindTakesTheFirstQualifyingPrinterAndStopsThere)
{
    FakeUsbPrinterSystem system;
    system.Add(PathOf(L"vid_abcd", L"1"), DwordBytes(1), DwordBytes(9));  // unlisted
    system.Add(PathOf(L"vid_0416", L"2"), DwordBytes(0), DwordBytes(8));  // off-line
    system.Add(PathOf(L"vid_0471", L"3"), DwordBytes(1), DwordBytes(12));
    system.Add(PathOf(L"vid_0416", L"4"), DwordBytes(1), DwordBytes(3));
    std::string port = "LPT1:";
    EXPECT_TRUE(FindUsbPrinterPort(system, port));
    EXPECT_EQ(port, "USB012");
    EXPECT_EQ(system.enumerated, (std::vector<DWORD>{0, 1, 2}));
    EXPECT_EQ(system.closes, 1);
    EXPECT_EQ(system.allocations, system.frees);
}

TEST_F(UsbPorts, FindLeavesThePortNameAloneWhenNothingQualifies)
{
    const struct {
        const char* name;
        bool setAvailable;
        bool secondDetailFails;
    } cases[] = {
        {"only unlisted and off-line printers", true, false},
        {"no interface set", false, false},
        {"second detail request fails", true, true},
    };
    for (const auto& c : cases) {
        FakeUsbPrinterSystem system;
        system.Add(PathOf(L"vid_abcd", L"1"), DwordBytes(1), DwordBytes(1));
        system.Add(PathOf(L"vid_0416", L"2"), DwordBytes(0), DwordBytes(2));
        system.Add(PathOf(L"vid_0416", L"3"), DwordBytes(1), DwordBytes(3));
        system.setAvailable = c.setAvailable;
        system.interfaces[2].detailFails = c.secondDetailFails;
        if (!c.secondDetailFails) system.interfaces[2].flags = 3;
        std::string port = "LPT1:";
        EXPECT_FALSE(FindUsbPrinterPort(system, port)) << c.name;
        EXPECT_EQ(port, "LPT1:") << c.name;
        EXPECT_EQ(system.opens, system.closes + (c.setAvailable ? 0 : 1)) << c.name;
        EXPECT_EQ(system.allocations, system.frees) << c.name;
    }
}
