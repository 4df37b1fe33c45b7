// One owner per handle: a move-only holder that frees its handle the way its traits say; and a
// guard that keeps a GDI object selected into a device context for a scope.
#pragma once

#include <windows.h>

#include <utility>

namespace tickra {

template <class Traits>
class UniqueHandle {
public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    pointer get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

    pointer release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
    void reset(pointer handle = Traits::Invalid()) noexcept {
        pointer old = std::exchange(handle_, handle);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

private:
    pointer handle_ = Traits::Invalid();
};

// A handle whose empty value is null, freed by close.
template <class T, auto close>
struct NullHandleTraits {
    using pointer = T;
    static pointer Invalid() { return nullptr; }
    static void Close(pointer h) { close(h); }
};

struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(pointer h) { CloseHandle(h); }
};

using UniqueWindow = UniqueHandle<NullHandleTraits<HWND, DestroyWindow>>;
using UniqueFont = UniqueHandle<NullHandleTraits<HFONT, DeleteObject>>;
using UniquePen = UniqueHandle<NullHandleTraits<HPEN, DeleteObject>>;
using UniqueBrush = UniqueHandle<NullHandleTraits<HBRUSH, DeleteObject>>;
using UniqueBitmap = UniqueHandle<NullHandleTraits<HBITMAP, DeleteObject>>;
using UniqueRegion = UniqueHandle<NullHandleTraits<HRGN, DeleteObject>>;
using UniqueMemoryDc = UniqueHandle<NullHandleTraits<HDC, DeleteDC>>;
using UniqueMenu = UniqueHandle<NullHandleTraits<HMENU, DestroyMenu>>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<NullHandleTraits<HANDLE, CloseHandle>>;  // a process's

// Selects a GDI object into a device context for a scope and puts the previous one back, so that
// the object is never freed while still selected.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectObjectGuard() { SelectObject(dc_, previous_); }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace tickra
