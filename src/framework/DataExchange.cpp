#include "framework/DataExchange.h"

#include "framework/Dialog.h"
#include "framework/MessageBox.h"
#include "win32/Text.h"

#include <vector>

namespace framework {

namespace {

bool IsRadio(HWND control)
{
    return (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// The radios of the group that starts at first, in template (z-) order.
std::vector<HWND> RadioGroup(HWND first)
{
    std::vector<HWND> radios;
    for (HWND control = first; control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        if (control != first && (::GetWindowLongW(control, GWL_STYLE) & WS_GROUP)) break;
        if (IsRadio(control)) radios.push_back(control);
    }
    return radios;
}

}  // namespace

void ExchangeRadio(DataExchange& exchange, int firstId, int& value)
{
    if (exchange.Skipping()) return;
    HWND first = exchange.Target().Item(firstId);
    if (!first) return;
    const std::vector<HWND> radios = RadioGroup(first);
    if (exchange.SaveAndValidate()) {
        value = -1;
        for (size_t i = 0; i < radios.size(); ++i) {
            if (::SendMessageW(radios[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
                value = static_cast<int>(i);
                break;
            }
        }
    } else {
        for (size_t i = 0; i < radios.size(); ++i)
            ::SendMessageW(radios[i], BM_SETCHECK, static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void ExchangeCheck(DataExchange& exchange, int id, int& value)
{
    if (exchange.Skipping()) return;
    HWND control = exchange.Target().Item(id);
    if (!control) return;
    if (exchange.SaveAndValidate())
        value = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        ::SendMessageW(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ExchangeText(DataExchange& exchange, int id, std::wstring& value)
{
    if (exchange.Skipping()) return;
    HWND control = exchange.Target().Item(id);
    if (!control) return;
    if (exchange.SaveAndValidate()) {
        std::vector<wchar_t> text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1);
        const int copied = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
        value.assign(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
    } else {
        ::SetWindowTextW(control, value.c_str());
    }
}

std::wstring RangeMessage(int min, int max)
{
    return win32::Format(L"Please enter an integer between %d and %d.", min, max);
}

void ValidateRange(DataExchange& exchange, int value, int min, int max)
{
    if (exchange.Skipping() || !exchange.SaveAndValidate()) return;
    if (value >= min && value <= max) return;
    ShowMessage(RangeMessage(min, max), MB_OK);
    exchange.Fail();
}

}  // namespace framework
