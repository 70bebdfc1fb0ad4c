/*
 * Move-only owners of Win32 handles. Kernel objects use two different "no handle" values:
 * CreateFile and FindFirstFile return INVALID_HANDLE_VALUE, most others return null; each
 * wrapper knows which one its handle kind uses, so a failed call is never closed by mistake.
 */
#pragma once

#include <windows.h>

#include <utility>

namespace qg {

template <typename Traits> class UniqueHandle {
public:
    using handle_type = typename Traits::handle_type;

    UniqueHandle() = default;
    explicit UniqueHandle(handle_type h) : m_h(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    handle_type get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::invalid(); }
    handle_type release() { return std::exchange(m_h, Traits::invalid()); }
    void reset(handle_type h = Traits::invalid()) {
        if (m_h != Traits::invalid())
            Traits::close(m_h);
        m_h = h;
    }

private:
    handle_type m_h = Traits::invalid();
};

// A handle kind: its type, the function that closes it, and whether its calls fail with
// INVALID_HANDLE_VALUE rather than null.
template <typename Handle, auto Close, bool NoneIsMinusOne = false> struct HandleTraits {
    using handle_type = Handle;
    static Handle invalid() {
        if constexpr (NoneIsMinusOne)
            return INVALID_HANDLE_VALUE;
        else
            return nullptr;
    }
    static void close(Handle h) { Close(h); }
};

// CreateFile: failure is INVALID_HANDLE_VALUE.
using FileHandleTraits = HandleTraits<HANDLE, ::CloseHandle, true>;
// Processes, threads, events: failure is null.
using KernelHandleTraits = HandleTraits<HANDLE, ::CloseHandle>;
// FindFirstFile: failure is INVALID_HANDLE_VALUE, and it is closed with FindClose.
using FindHandleTraits = HandleTraits<HANDLE, ::FindClose, true>;
using GdiObjectTraits = HandleTraits<HGDIOBJ, ::DeleteObject>;
// Only for icons made with LoadImage without LR_SHARED; shared icons are never destroyed.
using IconTraits = HandleTraits<HICON, ::DestroyIcon>;

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;

// A GDI font or brush, typed, so callers need no casts.
template <typename T> class GdiHandle {
public:
    GdiHandle() = default;
    explicit GdiHandle(T h) : m_obj(h) {}
    T get() const { return static_cast<T>(m_obj.get()); }
    explicit operator bool() const { return static_cast<bool>(m_obj); }

private:
    UniqueGdiObject m_obj;
};
using UniqueFont = GdiHandle<HFONT>;
using UniqueBrush = GdiHandle<HBRUSH>;
using UniqueBitmap = GdiHandle<HBITMAP>;
using UniquePalette = GdiHandle<HPALETTE>;

} // namespace qg
