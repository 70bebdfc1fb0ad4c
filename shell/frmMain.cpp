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

} // namespace

bool frmMain::Create() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!RegisterFormClass(ClassName, ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM))))
        return false;
    // Drawn straight from the resource, which the system maps from the program file: a bitmap
    // made with LoadImage would be a converted copy of its 400 KB, made before the first paint.
    if (HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(IDB_SPLASH), RT_BITMAP)) {
        if (HGLOBAL loaded = ::LoadResource(instance, found))
            m_picture = static_cast<const BITMAPINFO*>(::LockResource(loaded));
    }
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
    case WM_CLOSE:
        return 0; // the splash takes no user input; only the end of the program removes it
    default:
        return Form::OnMessage(message, wParam, lParam);
    }
}

} // namespace qg
