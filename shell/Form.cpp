/*
 * Base of the three windows (see Form.h).
 */
#include "shell/Form.h"

namespace qg {

void Form::RegisterFormClass(const char* className, HICON icon) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Thunk;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    ::RegisterClassA(&wc);
}

bool Form::CreateForm(const char* className, const char* caption, DWORD style, DWORD exStyle,
                      int clientWidthTwips, int clientHeightTwips, HWND owner) {
    const SIZE outer = OuterSizeForClient(clientWidthTwips, clientHeightTwips, style, exStyle);
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
    ::CreateWindowExA(exStyle, className, caption, style, left, top, outer.cx, outer.cy, owner,
                      nullptr, ::GetModuleHandleA(nullptr), this);
    return m_hwnd != nullptr;
}

HWND Form::AddLabel(HWND parent, const char* caption, DWORD align, const TwipsRect& place,
                    HFONT font, COLORREF color, DWORD extraStyle) {
    HWND label = CreateControl(parent, "STATIC", caption, align | SS_NOPREFIX | extraStyle, -1, place);
    ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    m_labels.push_back({label, color});
    return label;
}

LRESULT Form::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_hwnd, message, wParam, lParam);
}

LRESULT Form::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        for (const LabelColor& label : m_labels) {
            if (label.label == reinterpret_cast<HWND>(lParam)) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                ::SetTextColor(dc, label.color);
                ::SetBkMode(dc, TRANSPARENT);
                // No brush: the label leaves what is behind it (picture, frame) showing.
                return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
            }
        }
    }
    return OnMessage(message, wParam, lParam);
}

LRESULT CALLBACK Form::Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->m_hwnd = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        const LRESULT result = form->Dispatch(message, wParam, lParam);
        form->m_hwnd = nullptr;
        return result;
    }
    // Nothing may unwind through the system's code that called us.
    try {
        return form->Dispatch(message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace qg
