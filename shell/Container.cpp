/*
 * Frames and picture boxes (see Container.h).
 */
#include "shell/Container.h"

#include "support/Scoped.h"

namespace qg {

namespace {

void PaintFrame(HWND frame) {
    PaintDC paint(frame);
    HDC dc = paint.get();
    RECT client;
    ::GetClientRect(frame, &client);
    HFONT font = reinterpret_cast<HFONT>(::GetWindowLongPtrA(frame, 0));
    SelectedObject selected(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm;
    ::GetTextMetricsA(dc, &tm);

    RECT border = client;
    border.top += tm.tmHeight / 2;
    ::DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);

    char caption[256];
    const int length = ::GetWindowTextA(frame, caption, sizeof caption);
    if (length > 0) {
        SIZE extent;
        ::GetTextExtentPoint32A(dc, caption, length, &extent);
        RECT text = {8, 0, 8 + extent.cx + 4, tm.tmHeight};
        ::FillRect(dc, &text, ::GetSysColorBrush(COLOR_BTNFACE));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        ::TextOutA(dc, 10, 0, caption, length);
    }
}

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return ::SendMessageA(::GetParent(hwnd), message, wParam, lParam);
    case WM_SETFONT:
        ::SetWindowLongPtrA(hwnd, 0, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam))
            ::InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return ::GetWindowLongPtrA(hwnd, 0);
    case WM_SETTEXT: {
        const LRESULT result = ::DefWindowProcA(hwnd, message, wParam, lParam);
        ::InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_PAINT:
        if (::GetWindowLongPtrA(hwnd, sizeof(LONG_PTR))) {
            PaintFrame(hwnd);
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RegisterContainer(const char* name) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ContainerProc;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR); // font, "draw as a frame"
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return ::RegisterClassA(&wc) != 0;
}

} // namespace

bool RegisterContainerClasses() {
    return RegisterContainer(FrameClass) && RegisterContainer(PictureBoxClass);
}

HWND CreateFrame(HWND parent, const char* caption, const TwipsRect& place, HFONT font) {
    // WS_EX_CONTROLPARENT: Tab and the dialog keys walk into the frame's controls.
    HWND frame = CreateControl(parent, FrameClass, caption, 0, -1, place, 0, 0,
                               WS_EX_CONTROLPARENT);
    ::SetWindowLongPtrA(frame, sizeof(LONG_PTR), 1);
    ::SendMessageA(frame, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return frame;
}

HWND CreatePictureBox(HWND parent, const TwipsRect& place) {
    return CreateControl(parent, PictureBoxClass, "", 0, -1, place, 0, 0,
                         WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE);
}

} // namespace qg
