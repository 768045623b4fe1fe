#include "install/UniqueName.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring Unique(const std::wstring& base, const std::vector<std::wstring>& existing,
                    std::vector<std::wstring>* traces = nullptr)
{
    return UniquePrinterName(base, existing, [&](const std::wstring& line) {
        if (traces) traces->push_back(line);
    });
}

}  // namespace

TEST(UniqueName, FirstNameNoPrinterCarriesExactly)
{
    const struct {
        std::vector<std::wstring> existing;
        const wchar_t* expected;
    } cases[] = {
        {{}, L"RK-M5T"},
        {{L"Other", L"RK-M5"}, L"RK-M5T"},
        {{L"rk-m5t", L"RK-M5T "}, L"RK-M5T"},  // case and trailing space differ: no match
        {{L"RK-M5T"}, L"RK-M5T (copy 1)"},
        {{L"RK-M5T", L"RK-M5T (copy 1)"}, L"RK-M5T (copy 2)"},
        // A later candidate is checked against the printers before it too.
        {{L"RK-M5T (copy 2)", L"RK-M5T (copy 1)", L"RK-M5T"}, L"RK-M5T (copy 3)"},
        // Gaps are filled; numbers never come from an earlier candidate ("(copy 1) (copy 1)").
        {{L"RK-M5T", L"RK-M5T (copy 2)"}, L"RK-M5T (copy 1)"},
        {{L"RK-M5T (copy 1)"}, L"RK-M5T"},
        {{L"RK-M5T", L"rk-m5t (copy 1)"}, L"RK-M5T (copy 1)"},
    };
    for (const auto& c : cases) EXPECT_EQ(Unique(L"RK-M5T", c.existing), c.expected);
}

TEST(UniqueName, TracesEveryComparisonWithRestartMarker)
{
    std::vector<std::wstring> traces;
    EXPECT_EQ(Unique(L"RK-M5T", {L"RK-M5T", L"RK-M5T (copy 1)"}, &traces), L"RK-M5T (copy 2)");
    const std::vector<std::wstring> expected = {
        L"name=RK-M5T,i=-1,n=2.temStr=RK-M5T (copy 1),userLanguage=1033\r\n",
        L"name=RK-M5T,i=0,n=2.temStr=RK-M5T (copy 1),userLanguage=1033\r\n",
        L"name=RK-M5T (copy 1),i=-1,n=3.temStr=RK-M5T (copy 2),userLanguage=1033\r\n",
        L"name=RK-M5T,i=0,n=3.temStr=RK-M5T (copy 2),userLanguage=1033\r\n",
        L"name=RK-M5T (copy 1),i=1,n=3.temStr=RK-M5T (copy 2),userLanguage=1033\r\n",
    };
    EXPECT_EQ(traces, expected);
}

TEST(UniqueName, EmptyListWritesNoTrace)
{
    std::vector<std::wstring> traces;
    EXPECT_EQ(Unique(L"TPR-80C", {}, &traces), L"TPR-80C");
    EXPECT_TRUE(traces.empty());
}
