// The dialog framework on a template built in memory: radio groups, check box and text in both
// directions, the range check, the OK default, timers and the command table.
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/MessageBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// Control ids of the test form, in template order: radio group 1 holds a static between its
// radios; group 2 starts at 200.
enum : int {
    kRadioA = 100,
    kLabelInGroup = 101,
    kRadioB = 102,
    kRadioC = 103,
    kRadioD = 200,
    kRadioE = 201,
    kCheck = 300,
    kText = 400,
};

class TemplateBuilder {
public:
    TemplateBuilder()
    {
        Align(4);
        DLGTEMPLATE header = {};
        header.style = DS_SETFONT | WS_POPUP | WS_CAPTION;  // hidden: never shown on screen
        header.cx = 200;
        header.cy = 120;
        Append(&header, sizeof(header));
        Word(0);  // no menu
        Word(0);  // default class
        Word(0);  // no title
        Word(8);
        Text(L"MS Shell Dlg");
    }

    void Control(int id, const wchar_t* className, DWORD style, const wchar_t* text)
    {
        Align(4);
        DLGITEMTEMPLATE item = {};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = 5;
        item.y = static_cast<short>(5 + 12 * count_);
        item.cx = 100;
        item.cy = 10;
        item.id = static_cast<WORD>(id);
        Append(&item, sizeof(item));
        Text(className);
        Text(text);
        Word(0);  // no creation data
        ++count_;
        reinterpret_cast<DLGTEMPLATE*>(bytes_.data())->cdit = static_cast<WORD>(count_);
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void Append(const void* data, size_t size)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void Word(WORD value) { Append(&value, sizeof(value)); }
    void Text(const wchar_t* text) { Append(text, (wcslen(text) + 1) * sizeof(wchar_t)); }
    void Align(size_t to)
    {
        while (bytes_.size() % to) bytes_.push_back(0);
    }

    std::vector<unsigned char> bytes_;
    int count_ = 0;
};

const DLGTEMPLATE* TestForm()
{
    static TemplateBuilder form = [] {
        TemplateBuilder b;
        b.Control(kRadioA, L"Button", BS_AUTORADIOBUTTON | WS_GROUP, L"A");
        b.Control(kLabelInGroup, L"Static", SS_LEFT, L"label");
        b.Control(kRadioB, L"Button", BS_AUTORADIOBUTTON, L"B");
        b.Control(kRadioC, L"Button", BS_AUTORADIOBUTTON, L"C");
        b.Control(kRadioD, L"Button", BS_AUTORADIOBUTTON | WS_GROUP, L"D");
        b.Control(kRadioE, L"Button", BS_AUTORADIOBUTTON, L"E");
        b.Control(kCheck, L"Button", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, L"check");
        b.Control(kText, L"Static", SS_LEFT | WS_GROUP, L"initial");
        return b;
    }();
    return form.Get();
}

// A dialog bound to the test form; body runs inside its initialisation, after the base has
// written the fields into the controls.
class FormDialog : public framework::Dialog {
public:
    FormDialog() : framework::Dialog(0) {}

    int first = -1;
    int second = -1;
    int check = 0;
    std::wstring text;
    int validated = 0;
    std::function<void(FormDialog&)> body;
    std::vector<UINT_PTR> ticks;
    std::vector<std::string> commands;

    INT_PTR Run() { return DoModalIndirect(TestForm()); }

    bool Checked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void CheckOnly(std::initializer_list<int> ids)
    {
        for (int id : {kRadioA, kRadioB, kRadioC, kRadioD, kRadioE})
            ::SendMessageW(Item(id), BM_SETCHECK, BST_UNCHECKED, 0);
        for (int id : ids) ::SendMessageW(Item(id), BM_SETCHECK, BST_CHECKED, 0);
    }

    void OnCheckClicked() { commands.push_back("check clicked"); }
    void OnTextDoubleClicked() { commands.push_back("text double-clicked"); }

protected:
    BOOL OnInitDialog() override
    {
        framework::Dialog::OnInitDialog();
        if (body) body(*this);
        return TRUE;
    }
    void DoDataExchange(framework::DataExchange& exchange) override
    {
        framework::ExchangeRadio(exchange, kRadioA, first);
        framework::ExchangeRadio(exchange, kRadioD, second);
        framework::ExchangeCheck(exchange, kCheck, check);
        framework::ExchangeText(exchange, kText, text);
        framework::ValidateRange(exchange, validated, 0, 99);
    }
    bool OnCommand(int id, int notification) override
    {
        static const framework::CommandRoute<FormDialog> kRoutes[] = {
            {kCheck, BN_CLICKED, &FormDialog::OnCheckClicked},
            {kText, STN_DBLCLK, &FormDialog::OnTextDoubleClicked},
        };
        return framework::RouteCommand(*this, kRoutes, id, notification);
    }
    void OnTimer(UINT_PTR id) override
    {
        ticks.push_back(id);
        KillTimer(id);
        EndDialog(100 + static_cast<INT_PTR>(id));
    }
};

// Message boxes are answered by the test while it runs.
class MessageCapture {
public:
    MessageCapture()
    {
        framework::SetMessageHandler([this](const std::wstring& text, UINT) {
            texts.push_back(text);
            return IDOK;
        });
    }
    ~MessageCapture() { framework::SetMessageHandler(nullptr); }
    std::vector<std::wstring> texts;
};

}  // namespace

TEST(FrameworkDataExchange, ReadsARadioGroupAsThePositionAmongItsRadios)
{
    struct Case {
        std::vector<int> checked;
        int first, second;
    };
    const Case cases[] = {
        {{}, -1, -1},
        {{kRadioA}, 0, -1},
        {{kRadioB}, 1, -1},  // the static inside the group is not counted
        {{kRadioC}, 2, -1},
        {{kRadioD}, -1, 0},  // the next group starts at D
        {{kRadioC, kRadioE}, 2, 1},
    };
    for (const Case& c : cases) {
        FormDialog dialog;
        dialog.body = [&](FormDialog& d) {
            d.CheckOnly({});
            for (int id : c.checked) ::SendMessageW(d.Item(id), BM_SETCHECK, BST_CHECKED, 0);
            EXPECT_TRUE(d.UpdateData(true));
            EXPECT_EQ(d.first, c.first);
            EXPECT_EQ(d.second, c.second);
            d.EndDialog(IDCANCEL);
        };
        dialog.Run();
    }
}

TEST(FrameworkDataExchange, WritingARadioGroupChecksExactlyThatRadioOrClearsAll)
{
    struct Case {
        int first;
        std::vector<int> expectChecked;
    };
    const Case cases[] = {
        {0, {kRadioA, kRadioE}},
        {2, {kRadioC, kRadioE}},
        {-1, {kRadioE}},  // clears its own group only
        {7, {kRadioE}},   // beyond the group: nothing of it checked
    };
    for (const Case& c : cases) {
        FormDialog dialog;
        dialog.body = [&](FormDialog& d) {
            d.CheckOnly({kRadioA, kRadioB, kRadioC});  // several checked before the write
            d.first = c.first;
            d.second = 1;
            d.UpdateData(false);
            for (int id : {kRadioA, kRadioB, kRadioC, kRadioD, kRadioE}) {
                const bool expected =
                    std::find(c.expectChecked.begin(), c.expectChecked.end(), id) != c.expectChecked.end();
                EXPECT_EQ(d.Checked(id), expected) << "value " << c.first << ", radio " << id;
            }
            d.EndDialog(IDCANCEL);
        };
        dialog.Run();
    }
}

TEST(FrameworkDataExchange, ExchangesTheCheckBoxAsZeroOrOneAndTheTextBothWays)
{
    FormDialog dialog;
    dialog.check = 1;
    dialog.text = L"Você está usando SO Windows 10 x64.";
    dialog.body = [](FormDialog& d) {
        // the base initialisation has written the fields
        EXPECT_TRUE(d.Checked(kCheck));
        wchar_t shown[64] = {};
        ::GetWindowTextW(d.Item(kText), shown, 64);
        EXPECT_STREQ(shown, L"Você está usando SO Windows 10 x64.");

        ::SendMessageW(d.Item(kCheck), BM_SETCHECK, BST_UNCHECKED, 0);
        ::SetWindowTextW(d.Item(kText), L"");
        EXPECT_TRUE(d.UpdateData(true));
        EXPECT_EQ(d.check, 0);
        EXPECT_EQ(d.text, L"");

        ::SendMessageW(d.Item(kCheck), BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_TRUE(d.UpdateData(true));
        EXPECT_EQ(d.check, 1);
        d.EndDialog(IDCANCEL);
    };
    dialog.Run();
}

TEST(FrameworkDataExchange, RangeCheckFailsTheReadWithAMessageOnlyWhenReading)
{
    struct Case {
        int value;
        bool readSucceeds;
    };
    for (const Case& c : {Case{0, true}, Case{99, true}, Case{100, false}, Case{-1, false}}) {
        MessageCapture messages;
        FormDialog dialog;
        dialog.validated = c.value;
        dialog.body = [&](FormDialog& d) {
            EXPECT_TRUE(d.UpdateData(false)) << "writing is never validated";
            EXPECT_TRUE(messages.texts.empty());
            EXPECT_EQ(d.UpdateData(true), c.readSucceeds) << c.value;
            d.EndDialog(IDCANCEL);
        };
        dialog.Run();
        if (c.readSucceeds) {
            EXPECT_TRUE(messages.texts.empty());
        } else {
            ASSERT_EQ(messages.texts.size(), 1u) << c.value;
            EXPECT_EQ(messages.texts[0], framework::RangeMessage(0, 99));
        }
    }
}

TEST(FrameworkDialog, OkEndsWithIdOkOnlyWhenTheReadSucceedsAndCancelEndsWithIdCancel)
{
    constexpr INT_PTR kStillOpen = 142;  // ended by timer 42: nothing else ended the dialog
    struct Case {
        const char* name;
        int validated;
        UINT message;
        WPARAM wParam;
        INT_PTR endCode;
        size_t messages;
    };
    const Case cases[] = {
        {"OK", 5, WM_COMMAND, IDOK, IDOK, 0},
        {"Enter", 5, WM_KEYDOWN, VK_RETURN, IDOK, 0},
        {"OK, failed read", 500, WM_COMMAND, IDOK, kStillOpen, 1},
        {"Enter, failed read", 500, WM_KEYDOWN, VK_RETURN, kStillOpen, 1},
        {"Cancel, failed read", 500, WM_COMMAND, IDCANCEL, IDCANCEL, 0},
        {"Escape", 5, WM_KEYDOWN, VK_ESCAPE, IDCANCEL, 0},
        {"close box", 500, WM_SYSCOMMAND, SC_CLOSE, IDCANCEL, 0},
    };
    for (const Case& c : cases) {
        MessageCapture messages;
        FormDialog dialog;
        dialog.validated = c.validated;
        dialog.body = [&](FormDialog& d) {
            ::PostMessageW(d.Window(), c.message, c.wParam, 0);
            d.SetTimer(42, 300);
        };
        EXPECT_EQ(dialog.Run(), c.endCode) << c.name;
        EXPECT_EQ(messages.texts.size(), c.messages) << c.name;
    }
}

TEST(FrameworkDialog, RoutesCommandsByControlAndNotificationAndDeliversTimerTicks)
{
    FormDialog dialog;
    dialog.body = [](FormDialog& d) {
        ::SendMessageW(d.Window(), WM_COMMAND, MAKEWPARAM(kCheck, BN_CLICKED), 0);
        ::SendMessageW(d.Window(), WM_COMMAND, MAKEWPARAM(kText, STN_DBLCLK), 0);
        ::SendMessageW(d.Window(), WM_COMMAND, MAKEWPARAM(kText, BN_CLICKED), 0);  // no such route
        d.SetTimer(7, 10);
    };
    EXPECT_EQ(dialog.Run(), 107);
    EXPECT_EQ(dialog.commands, (std::vector<std::string>{"check clicked", "text double-clicked"}));
    EXPECT_EQ(dialog.ticks, (std::vector<UINT_PTR>{7}));
}
