// Move-only owners for the Windows resources this program holds.
#pragma once

#include <windows.h>
#include <setupapi.h>
#include <winspool.h>

#include <utility>

namespace win32 {

// One owner type per resource kind: Traits names the "no resource" value and how to free one.
template <typename Traits>
class Unique {
public:
    using pointer = typename Traits::pointer;

    Unique() noexcept = default;
    explicit Unique(pointer value) noexcept : value_(value) {}
    ~Unique() { reset(); }

    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::IsValid(value_); }

    void reset(pointer value = Traits::Invalid()) noexcept
    {
        pointer old = std::exchange(value_, value);
        if (Traits::IsValid(old)) Traits::Close(old);
    }

    pointer release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    // For APIs that return the resource through an out parameter.
    pointer* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::Invalid();
};

struct HandleTraits {  // CreateFile and friends: INVALID_HANDLE_VALUE means none
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(pointer h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(pointer h) noexcept { ::CloseHandle(h); }
};

struct KernelHandleTraits {  // CreateThread, CreateEvent, CreateMutex: null means none
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(pointer h) noexcept { ::CloseHandle(h); }
};

struct KeyTraits {
    using pointer = HKEY;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer h) noexcept { return h != nullptr; }
    static void Close(pointer h) noexcept { ::RegCloseKey(h); }
};

struct PrinterTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer h) noexcept { return h != nullptr; }
    static void Close(pointer h) noexcept { ::ClosePrinter(h); }
};

struct DevInfoTraits {
    using pointer = HDEVINFO;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(pointer h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(pointer h) noexcept { ::SetupDiDestroyDeviceInfoList(h); }
};

struct CreatedDcTraits {  // CreateDC, CreateCompatibleDC
    using pointer = HDC;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer h) noexcept { return h != nullptr; }
    static void Close(pointer h) noexcept { ::DeleteDC(h); }
};

template <typename T>
struct GdiObjectTraits {
    using pointer = T;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer h) noexcept { return h != nullptr; }
    static void Close(pointer h) noexcept { ::DeleteObject(h); }
};

struct LocalMemoryTraits {
    using pointer = HLOCAL;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer h) noexcept { return h != nullptr; }
    static void Close(pointer h) noexcept { ::LocalFree(h); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueKernelHandle = Unique<KernelHandleTraits>;
using UniqueKey = Unique<KeyTraits>;
using UniquePrinter = Unique<PrinterTraits>;
using UniqueDevInfo = Unique<DevInfoTraits>;
using UniqueDc = Unique<CreatedDcTraits>;
using UniqueFont = Unique<GdiObjectTraits<HFONT>>;
using UniqueBrush = Unique<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = Unique<GdiObjectTraits<HBITMAP>>;
using UniqueLocal = Unique<LocalMemoryTraits>;

// A window DC from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr)
    {
    }
    ~SelectedObject()
    {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace win32
