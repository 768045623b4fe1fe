// Diagnostic traces: the debugger output (OutputDebugStringW), plus one optional listener that
// tests and the log file can register to see the same lines.
#pragma once

#include <functional>
#include <string>

namespace win32 {

void Trace(const std::wstring& text);

using TraceListener = std::function<void(const std::wstring&)>;
// Replaces the listener (an empty one removes it). Set it before any worker thread traces.
void SetTraceListener(TraceListener listener);

}  // namespace win32
