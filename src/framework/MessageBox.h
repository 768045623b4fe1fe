// Message boxes as the program shows them: caption = the program file's name without extension.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace framework {

// The program file's name without directory and extension ("VeltoPrinterDriverSetup").
std::wstring AppTitle();

// Shows text in a message box with the given MB_ buttons (MB_OK or MB_YESNO) and returns the
// button pressed (IDOK, IDYES, IDNO). The owner is the thread's active window, as a dialog
// framework does for its modal dialogs.
int ShowMessage(const std::wstring& text, UINT type = MB_OK);

// Takes over ShowMessage, for tests and for runs without a user interface; the handler returns
// the answer. An empty handler restores the real message box.
using MessageHandler = std::function<int(const std::wstring& text, UINT type)>;
void SetMessageHandler(MessageHandler handler);

}  // namespace framework
