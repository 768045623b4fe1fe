#include "ports/TestPage.h"

#include "win32/Handles.h"
#include "win32/Text.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

// Writes every drawing call down as one line of text, in order.
class RecordingCanvas final : public TestPageCanvas {
public:
    explicit RecordingCanvas(SYSTEMTIME now) : now_(now) {}

    std::vector<std::wstring> calls;
    std::wstring bodyText;

    void StartDocument(const wchar_t* documentName) override
    {
        calls.push_back(documentName ? L"StartDoc " + std::wstring(documentName) : L"StartDoc (no name)");
    }
    void StartPage() override { calls.push_back(L"StartPage"); }
    void DrawTextBlock(const std::wstring& text, const RECT& rect, UINT format) override
    {
        bodyText = text;
        calls.push_back(win32::Format(L"DrawText %d,%d,%d,%d format 0x%x length %d", static_cast<int>(rect.left),
                                      static_cast<int>(rect.top), static_cast<int>(rect.right),
                                      static_cast<int>(rect.bottom), format, static_cast<int>(text.size())));
    }
    void CopyLogo(int x, int y, int width, int height, int sourceX, int sourceY, DWORD rop) override
    {
        calls.push_back(win32::Format(L"BitBlt %d,%d %dx%d from %d,%d rop 0x%08lx", x, y, width, height, sourceX,
                                      sourceY, static_cast<unsigned long>(rop)));
    }
    void DrawTextAt(int x, int y, const std::wstring& text) override
    {
        calls.push_back(win32::Format(L"TextOut %d,%d [%ls]", x, y, text.c_str()));
    }
    SYSTEMTIME LocalTime() override
    {
        calls.push_back(L"GetLocalTime");
        return now_;
    }
    void EndPage() override { calls.push_back(L"EndPage"); }
    void EndDocument() override { calls.push_back(L"EndDoc"); }

private:
    SYSTEMTIME now_;
};

SYSTEMTIME TimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME t = {};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

std::vector<std::wstring> LinesOf(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

TEST(TestPage, DrawsTheFourElementsInOrderAtTheirPositions)
{
    RecordingCanvas canvas(TimeOf(2024, 3, 5, 9, 7, 2));
    const std::wstring name = L"RK-M5T (copy 1)";
    DrawTestPage(canvas, &name, SIZE{308, 87});
    const std::vector<std::wstring> expected = {
        L"StartDoc RK-M5T (copy 1)",
        L"StartPage",
        L"DrawText 10,10,400,500 format 0x100 length 206",
        L"BitBlt 30,20 308x87 from 0,0 rop 0x00cc0020",
        L"TextOut 10,430 [RK-M5T (copy 1)]",
        L"GetLocalTime",
        L"TextOut -20,500 [  2024-03-05 09:07:02]",
        L"EndPage",
        L"EndDoc",
    };
    EXPECT_EQ(canvas.calls, expected);
    EXPECT_EQ(canvas.bodyText, kTestPageBody);
}

TEST(TestPage, AbsentNameGivesNoDocumentNameAndAnEmptyText)
{
    RecordingCanvas canvas(TimeOf(2026, 12, 11, 23, 59, 59));
    DrawTestPage(canvas, nullptr, SIZE{308, 87});
    ASSERT_EQ(canvas.calls.size(), 9u);
    EXPECT_EQ(canvas.calls[0], L"StartDoc (no name)");
    EXPECT_EQ(canvas.calls[4], L"TextOut 10,430 []");
    EXPECT_EQ(canvas.calls[6], L"TextOut -20,500 [  2026-12-11 23:59:59]");
}

TEST(TestPage, LogoIsCopiedInItsOwnSize)
{
    RecordingCanvas canvas(TimeOf(2024, 1, 1, 0, 0, 0));
    const std::wstring name = L"P";
    DrawTestPage(canvas, &name, SIZE{17, 5});
    EXPECT_EQ(canvas.calls[3], L"BitBlt 30,20 17x5 from 0,0 rop 0x00cc0020");
}

TEST(TestPage, BodyTextIsTheFixedTextOf206CodeUnits)
{
    const std::wstring body = kTestPageBody;
    EXPECT_EQ(body.size(), 206u);
    const std::vector<std::wstring> expected = {
        L"               .  ",
        L"", L"", L"", L"",
        L"  Parab\u00e9ns !   ",
        L"Se voc\u00ea pode ler esta ",
        L"informa\u00e7\u00e3o,a instala\u00e7\u00e3o ",
        L"do driver da impressora",
        L"foi bem sucedida !  ",
        L"",
        L"Nome da impressora:",
        L"", L"", L"", L"",
        L" ** final da p\u00e1gina de teste **",
        L"",  // the text ends with a line break
    };
    EXPECT_EQ(LinesOf(body), expected);
}

TEST(TestPage, TimestampHasTwoBlanksAndTwoDigitFields)
{
    const struct {
        SYSTEMTIME time;
        const wchar_t* text;
    } cases[] = {
        {TimeOf(2024, 3, 5, 9, 7, 2), L"  2024-03-05 09:07:02"},
        {TimeOf(2026, 12, 31, 23, 59, 59), L"  2026-12-31 23:59:59"},
        {TimeOf(2000, 1, 1, 0, 0, 0), L"  2000-01-01 00:00:00"},
        {TimeOf(999, 10, 10, 10, 10, 10), L"  999-10-10 10:10:10"},
    };
    for (const auto& c : cases) EXPECT_EQ(TestPageTimestamp(c.time), c.text);
}

TEST(TestPage, PrinterNameComesBackThroughTheAnsiCodePage)
{
    std::wstring name = L"stale";
    EXPECT_FALSE(TestPagePrinterName(nullptr, name));
    EXPECT_TRUE(name.empty());
    EXPECT_TRUE(TestPagePrinterName("", name));
    EXPECT_EQ(name, L"");
    EXPECT_TRUE(TestPagePrinterName("RK-M5T (copy 1)", name));
    EXPECT_EQ(name, L"RK-M5T (copy 1)");
    // The caller narrows the UTF-16 name first; what the code page cannot hold comes back as its
    // substitute, so the name no longer matches the queue.
    if (::GetACP() == 1252) {
        EXPECT_TRUE(TestPagePrinterName("Impressora \xe9", name));
        EXPECT_EQ(name, L"Impressora \u00e9");
        EXPECT_TRUE(TestPagePrinterName(win32::ToAnsi(L"打印机 1").c_str(), name));
        EXPECT_EQ(name, L"??? 1");
    }
}

TEST(TestPage, PrintingOnAnUnknownPrinterReturnsAndLeavesTheLogoToItsOwner)
{
    win32::UniqueBitmap logo(::CreateBitmap(308, 87, 1, 1, nullptr));
    ASSERT_TRUE(logo);
    PrintTestPage("No Such Printer 4711", logo.get());
    PrintTestPage(nullptr, logo.get());
    BITMAP info = {};
    ASSERT_EQ(::GetObjectW(logo.get(), sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 308);
    EXPECT_EQ(info.bmHeight, 87);
    EXPECT_EQ(info.bmBitsPixel, 1);
}
