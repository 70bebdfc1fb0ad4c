/*
 * Window placement and shared window pieces (see WindowUtil.h).
 */
#include "support/WindowUtil.h"

#include "support/Scoped.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace qg {

namespace {

struct Dpi {
    int x, y;
};

// The screen's resolution, read once: it does not change while the program runs.
const Dpi& ScreenDpi() {
    static const Dpi dpi = [] {
        WindowDC screen(nullptr);
        const int x = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
        const int y = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
        return Dpi{x > 0 ? x : 96, y > 0 ? y : 96};
    }();
    return dpi;
}

} // namespace

float CenteredEdge(float outer, float inner) {
    return (outer - inner) / 2.0f;
}

void CenterForm(HWND window) {
    PlaceOnScreen(window, 0.5f);
}

void PlaceOnScreen(HWND window, float down) {
    RECT r;
    if (!::GetWindowRect(window, &r))
        return;
    const float left = CenteredEdge(static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)),
                                    static_cast<float>(r.right - r.left));
    const float top =
        (static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)) - static_cast<float>(r.bottom - r.top)) *
        down;
    ::SetWindowPos(window, nullptr, static_cast<int>(std::lround(left)),
                   static_cast<int>(std::lround(top)), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MakeTopmost(HWND window) {
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

int TwipsToPixelsX(int twips) {
    return ::MulDiv(twips, ScreenDpi().x, 1440);
}

int TwipsToPixelsY(int twips) {
    return ::MulDiv(twips, ScreenDpi().y, 1440);
}

UniqueFont MakeFont(const char* face, double points, bool bold, bool italic, bool underline) {
    LOGFONTA lf = {};
    lf.lfHeight = -static_cast<LONG>(std::lround(points * ScreenDpi().y / 72.0));
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    return UniqueFont(::CreateFontIndirectA(&lf));
}

HWND CreateControl(HWND parent, const char* className, const char* text, DWORD style, int id,
                   const TwipsRect& place, int originX, int originY, DWORD exStyle) {
    return ::CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style,
                             TwipsToPixelsX(originX + place.left),
                             TwipsToPixelsY(originY + place.top), TwipsToPixelsX(place.width),
                             TwipsToPixelsY(place.height), parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)),
                             nullptr);
}

SIZE OuterSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle) {
    RECT r = {0, 0, TwipsToPixelsX(clientWidthTwips), TwipsToPixelsY(clientHeightTwips)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE TextExtent(HFONT font, const char* text) {
    SIZE extent = {0, 0};
    HDC screen = ::GetDC(nullptr);
    if (!screen)
        return extent;
    HGDIOBJ old = ::SelectObject(screen, font);
    ::GetTextExtentPoint32A(screen, text, static_cast<int>(std::strlen(text)), &extent);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    return extent;
}

void SetLabelText(HWND label, const char* text) {
    if (WindowText(label) == text)
        return;
    HWND parent = ::GetParent(label);
    RECT r;
    ::GetWindowRect(label, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowTextA(label, text);
    ::InvalidateRect(parent, &r, TRUE);
}

std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    ::GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data());
}

void OpenVendorWebPage() {
    // The shell is loaded for the click only: imported, it and the libraries it pulls in would
    // be loaded at every start, for a link that is seldom clicked. It stays loaded after.
    HMODULE shell = ::LoadLibraryA("shell32.dll");
    if (!shell)
        return;
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    const auto execute = reinterpret_cast<ShellExecuteFunction>(
        reinterpret_cast<void*>(::GetProcAddress(shell, "ShellExecuteA")));
    if (execute)
        execute(nullptr, nullptr, VendorWebAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace qg
