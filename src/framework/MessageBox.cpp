#include "framework/MessageBox.h"

#include <mutex>
#include <vector>

namespace framework {

namespace {
std::mutex g_handlerMutex;
MessageHandler g_handler;
}  // namespace

std::wstring AppTitle()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L"VeltoPrinterDriverSetup";
        if (n < path.size()) break;
        path.resize(path.size() * 2);
    }
    std::wstring name(path.data());
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name;
}

int ShowMessage(const std::wstring& text, UINT type)
{
    MessageHandler handler;
    {
        std::lock_guard<std::mutex> lock(g_handlerMutex);
        handler = g_handler;
    }
    if (handler) return handler(text, type);
    return ::MessageBoxW(::GetActiveWindow(), text.c_str(), AppTitle().c_str(), type);
}

void SetMessageHandler(MessageHandler handler)
{
    std::lock_guard<std::mutex> lock(g_handlerMutex);
    g_handler = std::move(handler);
}

}  // namespace framework
