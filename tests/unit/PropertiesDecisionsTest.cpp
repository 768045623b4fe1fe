#include "ports/PrinterProperties.h"

#include "support/lib/SerialStandins.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

TEST(PropertiesLaunch, QuotesThePrinterNameAsItIs)
{
    EXPECT_EQ(properties::PrintUiParameters(L"TPR-80C"), L"printui.dll,PrintUIEntry /p /n \"TPR-80C\"");
    EXPECT_EQ(properties::PrintUiParameters(L"TPR-80C (Copy 1)"),
              L"printui.dll,PrintUIEntry /p /n \"TPR-80C (Copy 1)\"");
    // A quote in the name breaks the argument; the printer user interface then finds no printer.
    EXPECT_EQ(properties::PrintUiParameters(L"A\"B"), L"printui.dll,PrintUIEntry /p /n \"A\"B\"");
}

TEST(PropertiesLaunch, StartsRundll32FromTheSystemDirectory)
{
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    std::wstring path;
    ASSERT_TRUE(properties::Rundll32Path(path));
    EXPECT_EQ(path, std::wstring(system) + L"\\rundll32.exe");
}

TEST(PropertiesWindowTitle, FollowsTheUserInterfaceLanguage)
{
    struct Case {
        int language;
        bool known;
        const wchar_t* title;
    };
    const Case cases[] = {
        {2052, true, L"TPR-80C 属性"},
        {1033, true, L"TPR-80C Properties"},
        {1046, false, L""},
        {1028, false, L""},
        {0, false, L""},
    };
    for (const auto& c : cases) {
        std::wstring title = L"stale";
        EXPECT_EQ(properties::PropertiesWindowTitle(c.language, L"TPR-80C", title), c.known) << c.language;
        EXPECT_EQ(title, c.title) << c.language;
    }
}

// A properties window of this process with a tab control of three pages; the name carries the
// process id, because other test processes share this prefix's window list.
class FakePropertiesWindow {
public:
    FakePropertiesWindow(const std::wstring& title, bool withTabs)
    {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
        ::InitCommonControlsEx(&controls);
        window_ = ::CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                    nullptr, nullptr, nullptr);
        // A tab control nested deeper must not be taken for the window's own.
        const HWND panel = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 200, 100, window_, nullptr,
                                             nullptr, nullptr);
        AddTabs(panel);
        if (withTabs) tabs_ = AddTabs(window_);
    }
    ~FakePropertiesWindow() { ::DestroyWindow(window_); }
    int Selected() const { return tabs_ ? static_cast<int>(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)) : -1; }

private:
    static HWND AddTabs(HWND parent)
    {
        const HWND tabs = ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, parent,
                                            nullptr, nullptr, nullptr);
        for (int i = 0; i < 3; ++i) {
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            wchar_t text[] = L"page";
            item.pszText = text;
            ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
        ::SendMessageW(tabs, TCM_SETCURSEL, 0, 0);
        return tabs;
    }
    HWND window_ = nullptr;
    HWND tabs_ = nullptr;
};

struct SelectCase {
    int language;
    const wchar_t* suffix;  // of the window that exists
    bool withTabs;
    int selected;        // tab of that window afterwards
    bool timerRunning;   // timer 2 after the tick
};

TEST(PropertiesSelectTab, SwitchesTheWindowOfTheLanguageToItsThirdTab)
{
    const SelectCase cases[] = {
        {1033, L" Properties", true, 2, false},
        {2052, L" 属性", true, 2, false},
        {2052, L" Properties", true, 0, true},   // the English title is not looked for
        {1033, L" 属性", true, 0, true},
        {1046, L" Properties", true, 0, false},  // no title known: the automation gives up
        {1033, L" Properties", false, -1, false}, // no tab control: nothing switched, timer stopped
    };
    const std::wstring name = L"TPR-80C " + std::to_wstring(::GetCurrentProcessId());
    for (const auto& c : cases) {
        testing_support::TimerWindow main(nullptr);
        ASSERT_NE(::SetTimer(main.get(), 2, 100000, nullptr), 0u);
        FakePropertiesWindow properties(name + c.suffix, c.withTabs);
        SelectPortsTab(main.get(), c.language, name);
        EXPECT_EQ(properties.Selected(), c.selected) << c.language << " " << c.withTabs;
        // KillTimer tells whether the timer was still there.
        EXPECT_EQ(::KillTimer(main.get(), 2) != 0, c.timerRunning) << c.language << " " << c.withTabs;
    }
}

}  // namespace
