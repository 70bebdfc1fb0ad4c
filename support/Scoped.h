/*
 * Scoped state that must be undone however a scope is left, an exception included: a flag
 * that says an action is running, and the GDI pairs (a paint, a device context, an object
 * selected into one) that would otherwise be closed by hand.
 */
#pragma once

#include <windows.h>

namespace qg {

// Sets the flag for the lifetime of the scope and clears it at the end.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ScopedFlag() { m_flag = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
};

// BeginPaint ... EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window) : m_window(window), m_dc(::BeginPaint(window, &m_ps)) {}
    ~PaintDC() { ::EndPaint(m_window, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_ps = {};
    HDC m_dc;
};

// GetDC ... ReleaseDC; null window: the screen. May hold no DC (get() is null).
class WindowDC {
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowDC() {
        if (m_dc)
            ::ReleaseDC(m_window, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// CreateCompatibleDC ... DeleteDC.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() {
        if (m_dc)
            ::DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};

// SelectObject, and the old object selected back at the end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (m_old && m_old != HGDI_ERROR)
            ::SelectObject(m_dc, m_old);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace qg
