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

} // namespace

bool frmMain::Create() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!RegisterFormClass(ClassName, ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM))))
        return false;
    m_picture = UniqueBitmap(static_cast<HBITMAP>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(IDB_SPLASH), IMAGE_BITMAP, 0, 0, 0)));
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
        HDC dc = paint.get();
        MemoryDC memory(dc);
        SelectedObject selected(memory.get(), m_picture.get());
        BITMAP info;
        ::GetObjectA(m_picture.get(), sizeof info, &info);
        // Unscaled at the top left; the client area clips it.
        ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
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
