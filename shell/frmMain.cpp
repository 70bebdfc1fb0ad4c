/*
 * The splash window (see frmMain.h).
 */
#include "shell/frmMain.h"

#include "resources/resource.h"
#include "support/Scoped.h"

#include "Version.h"

namespace qg {

namespace {

constexpr char ClassName[] = "QgSplash";
constexpr char BuildMark[] = "Build " QG_BUILD_NUMBER_2;
// No caption and no control box, so no title bar at all; a fixed dialog frame. A tool window
// stays out of the taskbar.
constexpr DWORD Style = WS_POPUP | WS_DLGFRAME;
constexpr DWORD ExStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME;

// The pixels of a packed bitmap, as a bitmap resource holds it: after the header and the
// colour table (or the three masks of BI_BITFIELDS).
const void* DibPixels(const BITMAPINFO* info) {
    const BITMAPINFOHEADER& header = info->bmiHeader;
    DWORD colors = header.biClrUsed;
    if (colors == 0 && header.biBitCount <= 8)
        colors = 1u << header.biBitCount;
    if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER))
        colors += 3;
    return reinterpret_cast<const BYTE*>(info) + header.biSize + colors * sizeof(RGBQUAD);
}

// The colours of a picture of 256 colours or fewer as a palette. A screen of 256 colours shows
// a picture drawn without one in the 20 colours Windows keeps for itself, banded.
HPALETTE MakePalette(const BITMAPINFO* info) {
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biBitCount > 8)
        return nullptr;
    const DWORD colors = header.biClrUsed ? header.biClrUsed : 1u << header.biBitCount;
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } palette{0x300, static_cast<WORD>(colors), {}};
    for (DWORD i = 0; i < colors && i < 256; ++i) {
        const RGBQUAD& c = info->bmiColors[i];
        palette.entries[i] = {c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
    }
    return ::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&palette));
}

} // namespace

bool frmMain::Create() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!RegisterFormClass(ClassName, ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM))))
        return false;
    // Drawn straight from the resource, which the system maps from the program file: a bitmap
    // made with LoadImage would be a converted copy of it, made before the first paint.
    if (HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(IDB_SPLASH), RT_BITMAP)) {
        if (HGLOBAL loaded = ::LoadResource(instance, found))
            m_picture = static_cast<const BITMAPINFO*>(::LockResource(loaded));
    }
    if (m_picture)
        m_palette = UniquePalette(MakePalette(m_picture));
    m_buildFont = MakeFont("Verdana", 11.25, true);
    if (!CreateForm(ClassName, "", Style, ExStyle, 4890, 4155, nullptr))
        return false;
    // Two labels almost on top of each other make a shadowed build mark.
    LBlTop = AddLabel(m_hwnd, BuildMark, SS_LEFT, {3330, 730, 1215, 255}, m_buildFont.get(),
                      ::GetSysColor(COLOR_WINDOWTEXT));
    lbl3323ss = AddLabel(m_hwnd, BuildMark, SS_RIGHT, {3000, 720, 1335, 255},
                         m_buildFont.get(), RGB(255, 255, 255));
    return true;
}

void frmMain::Paint() {
    PaintDC paint(m_hwnd);
    if (m_picture) {
        const BITMAPINFOHEADER& header = m_picture->bmiHeader;
        const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
        if (m_palette) {
            ::SelectPalette(paint.get(), m_palette.get(), FALSE);
            ::RealizePalette(paint.get());
        }
        // Unscaled at the top left; the client area clips it.
        ::SetDIBitsToDevice(paint.get(), 0, 0, static_cast<DWORD>(header.biWidth),
                            static_cast<DWORD>(height), 0, 0, 0, static_cast<UINT>(height),
                            DibPixels(m_picture), m_picture, DIB_RGB_COLORS);
    }
}

LRESULT frmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        // Another window's palette took the screen's colours: paint again with ours.
        if (m_palette && reinterpret_cast<HWND>(wParam) != m_hwnd)
            ::InvalidateRect(m_hwnd, nullptr, FALSE);
        return message == WM_QUERYNEWPALETTE;
    case WM_CLOSE:
        return 0; // the splash takes no user input; only the end of the program removes it
    default:
        return Form::OnMessage(message, wParam, lParam);
    }
}

} // namespace qg
