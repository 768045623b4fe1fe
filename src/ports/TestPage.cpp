#include "ports/TestPage.h"

#include "win32/Handles.h"
#include "win32/Text.h"

#include <cstring>
#include <vector>

const wchar_t kTestPageBody[] =
    L"               .  \r\n\r\n\r\n\r\n\r\n  Parabéns !   \r\nSe você pode ler esta \r\n"
    L"informação,a instalação \r\ndo driver da impressora\r\nfoi bem sucedida !  \r\n\r\n"
    L"Nome da impressora:\r\n\r\n\r\n\r\n\r\n ** final da página de teste **\r\n";

namespace {

class GdiTestPageCanvas final : public TestPageCanvas {
public:
    GdiTestPageCanvas(HDC printer, HDC logo) : printer_(printer), logo_(logo) {}

    void StartDocument(const wchar_t* documentName) override
    {
        DOCINFOW doc = {};
        doc.cbSize = sizeof doc;
        doc.lpszDocName = documentName;
        ::StartDocW(printer_, &doc);
    }
    void StartPage() override { ::StartPage(printer_); }
    void DrawTextBlock(const std::wstring& text, const RECT& rect, UINT format) override
    {
        RECT r = rect;
        ::DrawTextW(printer_, text.c_str(), static_cast<int>(text.size()), &r, format);
    }
    void CopyLogo(int x, int y, int width, int height, int sourceX, int sourceY, DWORD rop) override
    {
        ::BitBlt(printer_, x, y, width, height, logo_, sourceX, sourceY, rop);
    }
    void DrawTextAt(int x, int y, const std::wstring& text) override
    {
        ::TextOutW(printer_, x, y, text.c_str(), static_cast<int>(text.size()));
    }
    SYSTEMTIME LocalTime() override
    {
        SYSTEMTIME now = {};
        ::GetLocalTime(&now);
        return now;
    }
    void EndPage() override { ::EndPage(printer_); }
    void EndDocument() override { ::EndDoc(printer_); }

private:
    HDC printer_;
    HDC logo_;
};

}  // namespace

std::wstring TestPageTimestamp(const SYSTEMTIME& time)
{
    return win32::Format(L"  %d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
                         time.wMinute, time.wSecond);
}

bool TestPagePrinterName(const char* printerName, std::wstring& name)
{
    name.clear();
    if (!printerName) return false;
    const size_t bytes = std::strlen(printerName) + 1;
    std::vector<wchar_t> wide(bytes);
    const int converted = ::MultiByteToWideChar(CP_THREAD_ACP, 0, printerName, -1, wide.data(),
                                                static_cast<int>(wide.size()));
    if (converted <= 0) return false;
    name.assign(wide.data(), static_cast<size_t>(converted - 1));
    return true;
}

void DrawTestPage(TestPageCanvas& canvas, const std::wstring* printerName, SIZE logoSize)
{
    canvas.StartDocument(printerName ? printerName->c_str() : nullptr);
    canvas.StartPage();
    const RECT bodyRect = {10, 10, 400, 500};
    canvas.DrawTextBlock(kTestPageBody, bodyRect, DT_NOCLIP);
    canvas.CopyLogo(30, 20, logoSize.cx, logoSize.cy, 0, 0, SRCCOPY);
    canvas.DrawTextAt(10, 430, printerName ? *printerName : std::wstring());
    // The time is taken as the page is drawn, after everything else on it.
    canvas.DrawTextAt(-20, 500, TestPageTimestamp(canvas.LocalTime()));
    canvas.EndPage();
    canvas.EndDocument();
}

void PrintTestPage(const char* printerName, HBITMAP logo)
{
    // Declared first so that it goes last: the memory DC is deleted before the printer's.
    win32::UniqueDc printerDc;

    BITMAP logoInfo = {};
    ::GetObjectW(logo, sizeof logoInfo, &logoInfo);
    win32::UniqueDc logoDc(::CreateCompatibleDC(nullptr));
    win32::SelectedObject selectedLogo(logoDc.get(), logo);

    std::wstring name;
    const bool hasName = TestPagePrinterName(printerName, name);
    printerDc.reset(::CreateDCW(nullptr, hasName ? name.c_str() : nullptr, nullptr, nullptr));

    // Nothing is checked: on a printer that did not open every call fails without effect.
    GdiTestPageCanvas canvas(printerDc.get(), logoDc.get());
    DrawTestPage(canvas, hasName ? &name : nullptr, SIZE{logoInfo.bmWidth, logoInfo.bmHeight});
}
