#include "app/UnattendedLog.h"

#include "win32/Text.h"

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), size, &out[0], bytes, nullptr, nullptr);
    return out;
}

bool UnattendedLog::Open(const std::wstring& path, DWORD& error)
{
    // Shared for reading and writing: a deployment agent may tail the file, and a second run that
    // stops at the instance check still adds its lines.
    file_.reset(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        error = ::GetLastError();
        return false;
    }
    LARGE_INTEGER size = {};
    if (::GetFileSizeEx(file_.get(), &size) && size.QuadPart == 0) {
        static const char kByteOrderMark[] = "\xEF\xBB\xBF";
        DWORD written = 0;
        ::WriteFile(file_.get(), kByteOrderMark, 3, &written, nullptr);
    }
    return true;
}

std::wstring UnattendedLog::FormatLine(const SYSTEMTIME& localTime, DWORD processId, const wchar_t* kind,
                                       const std::wstring& text)
{
    // One entry, one line: texts with line breaks (messages, traces ending in \r\n) keep them as
    // a visible \n.
    std::wstring flat;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        if (text[i] == L'\r' || text[i] == L'\n') {
            flat += L"\\n";
        } else {
            flat += text[i];
        }
    }
    while (flat.size() >= 2 && flat.compare(flat.size() - 2, 2, L"\\n") == 0) flat.erase(flat.size() - 2);
    return win32::Format(L"%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] %-7ls %ls", localTime.wYear, localTime.wMonth,
                         localTime.wDay, localTime.wHour, localTime.wMinute, localTime.wSecond,
                         localTime.wMilliseconds, processId, kind, flat.c_str());
}

void UnattendedLog::Write(const wchar_t* kind, const std::wstring& text)
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    const std::string line = ToUtf8(FormatLine(now, ::GetCurrentProcessId(), kind, text) + L"\r\n");
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_) return;
    DWORD written = 0;
    // Written at once, unbuffered: a run that is killed still leaves every line before it.
    ::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
