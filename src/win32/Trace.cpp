#include "win32/Trace.h"

#include <windows.h>

#include <mutex>

namespace win32 {

namespace {
std::mutex g_listenerMutex;
TraceListener g_listener;
}  // namespace

void Trace(const std::wstring& text)
{
    ::OutputDebugStringW(text.c_str());
    std::lock_guard<std::mutex> lock(g_listenerMutex);
    if (g_listener) g_listener(text);
}

void SetTraceListener(TraceListener listener)
{
    std::lock_guard<std::mutex> lock(g_listenerMutex);
    g_listener = std::move(listener);
}

}  // namespace win32
