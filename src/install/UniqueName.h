// The name a new printer queue takes so that no existing printer carries it.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The first of baseName, "baseName (copy 1)", "baseName (copy 2)", ... that none of
// existingNames equals exactly (case-sensitively, code unit by code unit). Every candidate is
// compared with the whole list, restarting at the first name after each match. trace, when
// given, receives one line per comparison.
std::wstring UniquePrinterName(const std::wstring& baseName, const std::vector<std::wstring>& existingNames,
                               const std::function<void(const std::wstring&)>& trace = {});
