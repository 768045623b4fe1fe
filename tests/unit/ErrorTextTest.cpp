#include "win32/ErrorText.h"

#include <gtest/gtest.h>

TEST(ErrorText, PutsTheNumberBeforeTheSystemText)
{
    const std::wstring text = win32::ErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(text.rfind(L"[0x00000002] ", 0), 0u) << text;
    EXPECT_GT(text.size(), 13u);
    EXPECT_NE(text.back(), L'\n');
}

TEST(ErrorText, ShowsTheNumberAloneWhenTheSystemHasNoText)
{
    EXPECT_EQ(win32::ErrorText(0x20001234), L"[0x20001234]");
}
