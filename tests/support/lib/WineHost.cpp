#include "support/lib/WineHost.h"

#include "win32/Handles.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <vector>

namespace testing_support {

std::wstring WindowsPathOf(const std::string& unixPath)
{
    std::wstring out = L"Z:";
    for (char c : unixPath) out += (c == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    while (out.size() > 3 && out.back() == L'\\') out.pop_back();
    return out;
}

std::wstring BuildDir() { return WindowsPathOf(VELTO_BUILD_DIR); }

std::wstring ProgramPath() { return BuildDir() + L"\\VeltoPrinterDriverSetup.exe"; }

std::wstring StandinPath(const std::wstring& name) { return BuildDir() + L"\\standins\\" + name + L".exe"; }

std::wstring PrefixDir()
{
    const char* prefix = std::getenv("WINEPREFIX");
    return prefix ? WindowsPathOf(prefix) : std::wstring();
}

std::wstring MakeScratchDir(const std::wstring& hint)
{
    static std::atomic<int> counter{0};
    const std::wstring base = BuildDir() + L"\\scratch";
    ::CreateDirectoryW(base.c_str(), nullptr);
    for (;;) {
        std::wstring dir = base + L"\\" + hint + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                           std::to_wstring(counter++);
        if (::CreateDirectoryW(dir.c_str(), nullptr)) return dir;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
}

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(dir.c_str());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    ::DeleteFileW(path.c_str());
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes)
{
    bytes.clear();
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    return true;
}

}  // namespace testing_support
