// Reading the serial-port map and the virtual port device's instances from the registry, with
// values that do not fit the fixed buffers.
#include "ports/SerialDriver.h"

#include "support/lib/SerialStandins.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

void ClearSerialMap()
{
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSerialMapKey);
    ASSERT_EQ(SerialMapValueCount(), -1);
}

TEST(SerialPortMap, KeepsEveryValueInEnumerationOrderAndEndsEachText)
{
    ClearSerialMap();
    ASSERT_TRUE(AddSerialPort(L"\\Device\\A0", L"COM3"));
    const std::string full(256, 'F');  // fills the 256-byte buffer with no room for a terminator
    ASSERT_TRUE(AddSerialMapValue(L"\\Device\\A1", REG_BINARY, full.data(), 256));
    const std::string tooLong(300, 'L');
    ASSERT_TRUE(AddSerialMapValue(L"\\Device\\A2", REG_BINARY, tooLong.data(), 300));
    ASSERT_TRUE(AddSerialPort(L"\\Device\\A3", L"COM10"));
    ASSERT_TRUE(AddSerialPort(L"\\Device\\A4", L"COM4"));  // shorter after longer: no left-overs
    ASSERT_TRUE(AddSerialPort(std::wstring(300, L'N'), L"COM5"));  // its name does not fit

    SerialPortSnapshot snapshot;
    ASSERT_TRUE(ReadSerialPortMap(snapshot));
    ASSERT_EQ(snapshot.count, 6);
    EXPECT_EQ(snapshot.ports[0], L"COM3");
    EXPECT_EQ(snapshot.ports[1], std::wstring(256, L'F'));
    EXPECT_EQ(snapshot.ports[2], L"") << "data that did not fit is not trusted";
    EXPECT_EQ(snapshot.ports[3], L"COM10");
    EXPECT_EQ(snapshot.ports[4], L"COM4");
    EXPECT_EQ(snapshot.ports[5], L"");
}

TEST(SerialPortMap, StopsAt256Values)
{
    ClearSerialMap();
    for (int i = 0; i < 300; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\Device\\V%03d", i);
        ASSERT_TRUE(AddSerialPort(name, L"COM" + std::to_wstring(i + 1)));
    }
    SerialPortSnapshot snapshot;
    ASSERT_TRUE(ReadSerialPortMap(snapshot));
    EXPECT_EQ(snapshot.count, 256);
    EXPECT_EQ(snapshot.ports[0], L"COM1");
    EXPECT_EQ(snapshot.ports[255], L"COM256");
}

TEST(SerialPortMap, LeavesTheSnapshotAloneWhenTheKeyIsMissing)
{
    ClearSerialMap();
    SerialPortSnapshot snapshot;
    snapshot.count = 2;
    snapshot.ports[0] = L"COM1";
    EXPECT_FALSE(ReadSerialPortMap(snapshot));
    EXPECT_EQ(snapshot.count, 2);
    EXPECT_EQ(snapshot.ports[0], L"COM1");

    ASSERT_TRUE(AddSerialPort(L"\\Device\\A0", L"COM3"));
    ASSERT_TRUE(ReadSerialPortMap(snapshot));
    EXPECT_EQ(snapshot.count, 1) << "a new snapshot replaces the count";
}

// The type of PortName is not looked at; REG_BINARY data comes back as stored, without the
// terminator that Wine makes room for when it returns REG_SZ data.
bool AddInstanceWithRawPortName(const std::wstring& instance, const void* data, DWORD size)
{
    if (!AddVirtualPortInstance(instance, nullptr)) return false;
    const std::wstring path = std::wstring(kInstallerInstanceRoot) + L"\\" + instance + L"\\Device Parameters";
    return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, path.c_str(), L"PortName", REG_BINARY, data, size) == ERROR_SUCCESS;
}

TEST(SerialVirtualPorts, CountUpToTheLastInstanceWithAPortName)
{
    const std::wstring com7 = L"COM7", com12 = L"COM12";
    ASSERT_TRUE(AddVirtualPortInstance(L"1", nullptr));
    ASSERT_TRUE(AddVirtualPortInstance(L"2", &com12));
    const std::wstring full(128, L'P');  // 256 bytes, no terminator
    ASSERT_TRUE(AddInstanceWithRawPortName(L"3", full.data(), 256));
    ASSERT_TRUE(AddInstanceWithRawPortName(L"4", L"COM8", 8));  // no terminator after a longer name
    const std::wstring tooLong(200, L'T');
    ASSERT_TRUE(AddVirtualPortInstance(L"5", &tooLong));  // does not fit: not read
    ASSERT_TRUE(AddVirtualPortInstance(L"6", &com7));
    ASSERT_TRUE(AddVirtualPortInstance(L"7", nullptr));

    int count = 0;
    VirtualPortNames names;
    EXPECT_TRUE(ReadVirtualPortNames(count, names));
    EXPECT_EQ(count, 6);
    EXPECT_EQ(names[0], L"");
    EXPECT_EQ(names[1], L"COM12");
    EXPECT_EQ(names[2], full);
    EXPECT_EQ(names[3], L"COM8");
    EXPECT_EQ(names[4], L"");
    EXPECT_EQ(names[5], L"COM7");
    EXPECT_EQ(names[6], L"");
}

TEST(SerialVirtualPorts, KeepWhatWasFoundBeforeAnInstanceThatDoesNotOpen)
{
    const std::wstring com7 = L"COM7", com8 = L"COM8";
    ASSERT_TRUE(AddVirtualPortInstance(L"a", &com7));
    // An instance key without its "Device Parameters".
    const std::wstring bare = std::wstring(kInstallerInstanceRoot) + L"\\b";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, bare.c_str(), L"ClassGUID", REG_SZ, L"x", 4), ERROR_SUCCESS);
    ASSERT_TRUE(AddVirtualPortInstance(L"c", &com8));

    int count = 0;
    VirtualPortNames names;
    EXPECT_FALSE(ReadVirtualPortNames(count, names));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(names[0], L"COM7");
    EXPECT_EQ(names[2], L"");
}

TEST(SerialVirtualPorts, StopAt256Instances)
{
    for (int i = 0; i < 300; ++i) {
        wchar_t instance[16];
        swprintf(instance, 16, L"%03d", i);
        const std::wstring port = L"COM" + std::to_wstring(i + 1);
        ASSERT_TRUE(AddVirtualPortInstance(instance, &port));
    }
    int count = 0;
    VirtualPortNames names;
    EXPECT_TRUE(ReadVirtualPortNames(count, names));
    EXPECT_EQ(count, 256);
    EXPECT_EQ(names[255], L"COM256");
}

TEST(SerialVirtualPorts, LeaveTheCountAloneWithoutTheDeviceOrItsInstances)
{
    int count = 5;
    VirtualPortNames names;
    EXPECT_FALSE(ReadVirtualPortNames(count, names));
    EXPECT_EQ(count, 5);
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kInstallerInstanceRoot, L"x", REG_SZ, L"x", 4), ERROR_SUCCESS);
    EXPECT_FALSE(ReadVirtualPortNames(count, names));
    EXPECT_EQ(count, 5);
}

}  // namespace
