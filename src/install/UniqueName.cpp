#include "install/UniqueName.h"

#include "win32/Text.h"

std::wstring UniquePrinterName(const std::wstring& baseName, const std::vector<std::wstring>& existingNames,
                               const std::function<void(const std::wstring&)>& trace)
{
    std::wstring candidate = baseName;
    int n = 1;
    const int count = static_cast<int>(existingNames.size());
    for (int i = 0; i < count; ++i) {
        const std::wstring& name = existingNames[static_cast<size_t>(i)];
        if (name == candidate) {
            // Always numbered from the base name, and checked again against every printer.
            candidate = win32::Format(L"%ls (copy %d)", baseName.c_str(), n);
            ++n;
            i = -1;
        }
        if (trace)
            trace(win32::Format(L"name=%ls,i=%d,n=%d.temStr=%ls,userLanguage=%d\r\n", name.c_str(), i, n,
                                candidate.c_str(), 1033));
    }
    return candidate;
}
