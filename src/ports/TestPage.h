// The test page printed on a newly created printer.
#pragma once

#include <windows.h>

#include <string>

// printerName: in the thread's ANSI code page, may be null. logo: borrowed, never freed here.
void PrintTestPage(const char* printerName, HBITMAP logo);

// The fixed body text (206 code units).
extern const wchar_t kTestPageBody[];

// "  %d-%02d-%02d %02d:%02d:%02d" of the given time.
std::wstring TestPageTimestamp(const SYSTEMTIME& time);

// The printer name back in UTF-16 through the thread's ANSI code page; false (absent) for a null
// name or one that does not convert.
bool TestPagePrinterName(const char* printerName, std::wstring& name);

// Where the page is drawn: a printer DC, or a recording in tests. Results are not looked at; a
// printer that cannot be opened simply gets calls that fail without effect.
class TestPageCanvas {
public:
    virtual ~TestPageCanvas() = default;
    virtual void StartDocument(const wchar_t* documentName) = 0;  // null: no name
    virtual void StartPage() = 0;
    virtual void DrawTextBlock(const std::wstring& text, const RECT& rect, UINT format) = 0;
    virtual void CopyLogo(int x, int y, int width, int height, int sourceX, int sourceY, DWORD rop) = 0;
    virtual void DrawTextAt(int x, int y, const std::wstring& text) = 0;
    virtual SYSTEMTIME LocalTime() = 0;
    virtual void EndPage() = 0;
    virtual void EndDocument() = 0;
};

// The page: body text, logo at (30, 20) in its own size, printer name at (10, 430) (empty when
// absent), then the time of drawing at (-20, 500); one document of one page.
void DrawTestPage(TestPageCanvas& canvas, const std::wstring* printerName, SIZE logoSize);
