// The test page printed for real on a Wine queue whose port USB001 is mapped to a file: Wine
// renders the job as PostScript, which is read back (and, when ghostscript is there, turned into
// a picture kept under the build folder, artifacts/testpage.png, for review).
#include "ports/TestPage.h"

#include "support/lib/UsbSimulation.h"
#include "support/lib/WineHost.h"
#include "win32/Handles.h"
#include "win32/Text.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

using testing_support::ReadFileBytes;
using testing_support::WindowsPathOf;
using testing_support::WriteFileBytes;

namespace {

const wchar_t kDriver[] = L"Velto Test Page Driver";

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// What Wine's PostScript driver drew, in order: text runs (each glyph is its own glyphshow, and
// each run's opaque background rectangle starts at the run's drawing position) and bitmaps.
struct DrawnElement {
    bool logo = false;
    int x = 0, y = 0;             // text: where the run was placed; logo: translate
    int width = 0, height = 0;    // logo: scale
    std::wstring text;
};

wchar_t GlyphCharacter(const std::string& name)
{
    static const struct {
        const char* name;
        wchar_t c;
    } named[] = {
        {"space", L' '},     {"uni00A0", L' '},   {"hyphen", L'-'},   {"uni00AD", L'-'},   {"period", L'.'},
        {"comma", L','},     {"colon", L':'},     {"exclam", L'!'},   {"asterisk", L'*'},  {"parenleft", L'('},
        {"parenright", L')'}, {"zero", L'0'},     {"one", L'1'},      {"two", L'2'},       {"three", L'3'},
        {"four", L'4'},      {"five", L'5'},      {"six", L'6'},      {"seven", L'7'},     {"eight", L'8'},
        {"nine", L'9'},      {"eacute", L'\u00e9'}, {"ecircumflex", L'\u00ea'}, {"ccedilla", L'\u00e7'},
        {"atilde", L'\u00e3'}, {"aacute", L'\u00e1'},
    };
    if (name.size() == 1) return static_cast<wchar_t>(name[0]);
    for (const auto& n : named)
        if (name == n.name) return n.c;
    return L'?';
}

// "<a> <b> <keyword>" exactly.
bool TwoNumbersThen(const std::string& line, const char* keyword, int& a, int& b)
{
    const std::string suffix = std::string(" ") + keyword;
    if (line.size() <= suffix.size() || line.compare(line.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    return std::sscanf(line.c_str(), "%d %d", &a, &b) == 2;
}

std::vector<DrawnElement> DrawnElements(const std::string& ps)
{
    std::vector<DrawnElement> elements;
    int moveX = 0, moveY = 0, rectX = 0, rectY = 0, translateX = 0, translateY = 0, scaleW = 0, scaleH = 0;
    bool textMove = false;
    size_t start = 0;
    while (start < ps.size()) {
        size_t end = ps.find('\n', start);
        if (end == std::string::npos) end = ps.size();
        const std::string line = ps.substr(start, end - start);
        start = end + 1;
        int a = 0, b = 0;
        char glyph[64] = {};
        if (TwoNumbersThen(line, "moveto", a, b)) {
            moveX = a;
            moveY = b;
            textMove = true;
        } else if (line.find("rlineto") != std::string::npos && textMove) {
            rectX = moveX;
            rectY = moveY;
            textMove = false;
        } else if (TwoNumbersThen(line, "translate", a, b)) {
            translateX = a;
            translateY = b;
        } else if (TwoNumbersThen(line, "scale", a, b)) {
            scaleW = a;
            scaleH = b;
        } else if (line == "imagemask" || line == "image") {
            DrawnElement logo;
            logo.logo = true;
            logo.x = translateX;
            logo.y = translateY;
            logo.width = scaleW;
            logo.height = scaleH;
            elements.push_back(logo);
        } else if (std::sscanf(line.c_str(), "/%63s glyphshow", glyph) == 1 &&
                   line.find(" glyphshow") != std::string::npos) {
            if (textMove || elements.empty() || elements.back().logo) {
                DrawnElement run;
                run.x = rectX;
                run.y = rectY;
                elements.push_back(run);
                textMove = false;
            }
            elements.back().text += GlyphCharacter(glyph);
        }
    }
    return elements;
}

// A driver of placeholder files (plain text: Wine loads the configuration file inside AddPrinterW)
// and a queue on USB001.
bool MakeQueue(const std::wstring& printerName)
{
    wchar_t directory[MAX_PATH] = {};
    DWORD needed = 0;
    if (!::GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory), sizeof directory,
                                      &needed))
        return false;
    const std::wstring dir = directory;
    for (const wchar_t* file : {L"VTPDRV.DLL", L"VTPUI.DLL", L"VTP.GPD"})
        if (!WriteFileBytes(dir + L"\\" + file, "placeholder\r\n")) return false;
    std::wstring driverPath = dir + L"\\VTPDRV.DLL", configFile = dir + L"\\VTPUI.DLL", dataFile = dir + L"\\VTP.GPD";
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kDriver);
    driver.pDriverPath = &driverPath[0];
    driver.pDataFile = &dataFile[0];
    driver.pConfigFile = &configFile[0];
    driver.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
    if (!::AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) return false;

    PRINTER_INFO_2W queue = {};
    queue.pPrinterName = const_cast<wchar_t*>(printerName.c_str());
    queue.pPortName = const_cast<wchar_t*>(L"USB001");
    queue.pDriverName = const_cast<wchar_t*>(kDriver);
    queue.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    queue.pDatatype = const_cast<wchar_t*>(L"RAW");
    queue.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    win32::UniquePrinter printer(::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&queue)));
    return static_cast<bool>(printer);
}

// The program's logo when the resources are there, else a striped picture of the same size.
win32::UniqueBitmap Logo()
{
    const std::wstring file = WindowsPathOf(VELTO_SOURCE_DIR "/res/logo.bmp");
    HBITMAP loaded = static_cast<HBITMAP>(
        ::LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_MONOCHROME));
    if (loaded) return win32::UniqueBitmap(loaded);
    std::vector<unsigned char> bits(((308 + 15) / 16) * 2 * 87, 0xF0);
    return win32::UniqueBitmap(::CreateBitmap(308, 87, 1, 1, bits.data()));
}

}  // namespace

TEST(TestPageReal, OneJobOfOnePageNamedAfterThePrinterReachesThePort)
{
    const std::string outDir = std::string(VELTO_BUILD_DIR) + "/artifacts";
    ::CreateDirectoryW(WindowsPathOf(outDir).c_str(), nullptr);
    const std::string psPath = outDir + "/testpage.ps";
    ::DeleteFileW(WindowsPathOf(psPath).c_str());
    ASSERT_TRUE(testing_support::MapPrinterPortToFile(L"USB001", psPath));
    const std::wstring printerName = L"Velto Test Page Printer";
    ASSERT_TRUE(MakeQueue(printerName));
    win32::UniqueBitmap logo = Logo();
    ASSERT_TRUE(logo);

    SYSTEMTIME before = {};
    ::GetLocalTime(&before);
    PrintTestPage(win32::ToAnsi(printerName).c_str(), logo.get());
    SYSTEMTIME after = {};
    ::GetLocalTime(&after);

    std::string ps;
    ASSERT_TRUE(ReadFileBytes(WindowsPathOf(psPath), ps));
    ASSERT_EQ(ps.rfind("%!PS", 0), 0u) << ps.substr(0, 200);
    // One document, named after the printer, of one page.
    EXPECT_NE(ps.find("\n%%Title: Velto Test Page Printer\n"), std::string::npos);
    EXPECT_EQ(CountOf(ps, "\n%%Page: "), 1u);
    EXPECT_EQ(CountOf(ps, "\nshowpage\n"), 1u);
    EXPECT_NE(ps.find("\n%%Pages: 1\n"), std::string::npos);

    const std::vector<DrawnElement> drawn = DrawnElements(ps);
    const std::vector<std::wstring> bodyLines = {
        L"               .  ",      L"  Parab\u00e9ns !   ",          L"Se voc\u00ea pode ler esta ",
        L"informa\u00e7\u00e3o,a instala\u00e7\u00e3o ",            L"do driver da impressora",
        L"foi bem sucedida !  ",    L"Nome da impressora:",          L" ** final da p\u00e1gina de teste **",
    };
    ASSERT_EQ(drawn.size(), bodyLines.size() + 3) << ps.size();
    for (size_t i = 0; i < bodyLines.size(); ++i) {
        EXPECT_FALSE(drawn[i].logo) << i;
        EXPECT_EQ(drawn[i].text, bodyLines[i]) << i;
        EXPECT_EQ(drawn[i].x, 10) << i;
        if (i > 0) {
            EXPECT_GT(drawn[i].y, drawn[i - 1].y) << i;
        }
    }
    EXPECT_EQ(drawn[0].y, 10);
    // Lines are not clipped at the rectangle's bottom (500).
    EXPECT_GT(drawn[bodyLines.size() - 1].y, 500);

    const DrawnElement& logoDrawn = drawn[bodyLines.size()];
    EXPECT_TRUE(logoDrawn.logo);
    EXPECT_EQ(logoDrawn.x, 30);
    EXPECT_EQ(logoDrawn.y, 20);
    EXPECT_EQ(logoDrawn.width, 308);
    EXPECT_EQ(logoDrawn.height, 87);

    const DrawnElement& name = drawn[bodyLines.size() + 1];
    EXPECT_EQ(name.text, L"Velto Test Page Printer");
    EXPECT_EQ(name.x, 10);
    EXPECT_EQ(name.y, 430);

    // The timestamp: the moment of drawing, between the two clock readings.
    const DrawnElement& stamp = drawn[bodyLines.size() + 2];
    EXPECT_EQ(stamp.x, -20);
    EXPECT_EQ(stamp.y, 500);
    std::vector<std::wstring> stamps;
    for (const SYSTEMTIME& t : {before, after}) stamps.push_back(TestPageTimestamp(t));
    EXPECT_TRUE(stamp.text == stamps[0] || stamp.text == stamps[1]) << stamp.text.size() << " " << stamps[0];

    if (testing_support::RenderPostScriptToPng(psPath, outDir + "/testpage.png"))
        std::printf("test page picture: %s/testpage.png\n", outDir.c_str());
}

TEST(TestPageReal, UnknownOrUnconvertibleNamePrintsNothing)
{
    const std::string outDir = std::string(VELTO_BUILD_DIR) + "/artifacts";
    ::CreateDirectoryW(WindowsPathOf(outDir).c_str(), nullptr);
    const std::string psPath = outDir + "/testpage-none.ps";
    ::DeleteFileW(WindowsPathOf(psPath).c_str());
    ASSERT_TRUE(testing_support::MapPrinterPortToFile(L"USB001", psPath));
    // A queue whose name the ANSI code page cannot hold: the name comes back with substitutes.
    const std::wstring printerName = L"Impressora \u6253\u5370";
    ASSERT_NE(win32::FromAnsi(win32::ToAnsi(printerName)), printerName);
    ASSERT_TRUE(MakeQueue(printerName));
    win32::UniqueBitmap logo = Logo();

    PrintTestPage(win32::ToAnsi(printerName).c_str(), logo.get());
    PrintTestPage("Velto No Such Printer", logo.get());
    PrintTestPage(nullptr, logo.get());

    EXPECT_EQ(::GetFileAttributesW(WindowsPathOf(psPath).c_str()), INVALID_FILE_ATTRIBUTES);
    BITMAP info = {};
    EXPECT_EQ(::GetObjectW(logo.get(), sizeof info, &info), static_cast<int>(sizeof info));
}
