/*
 * Base of the three windows (see Form.h).
 */
#include "shell/Form.h"

#include "resources/resource.h"
#include "shell/Container.h"

#include <algorithm>

namespace qg {

bool Form::RegisterFormClass(const char* className, HICON icon) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Thunk;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    // A window made again after a failed creation finds its class there already.
    return ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Form::CreateForm(const char* className, const char* caption, DWORD style, DWORD exStyle,
                      int clientWidthTwips, int clientHeightTwips, HWND owner) {
    const SIZE outer = OuterSizeForClient(clientWidthTwips, clientHeightTwips, style, exStyle);
    ::CreateWindowExA(exStyle, className, caption, style, 0, 0, outer.cx, outer.cy, owner,
                      nullptr, ::GetModuleHandleA(nullptr), this);
    if (!m_hwnd)
        return false;
    CenterForm(m_hwnd);
    return true;
}

HWND Form::AddLabel(HWND parent, const char* caption, DWORD align, const TwipsRect& place,
                    HFONT font, COLORREF color, DWORD extraStyle) {
    HWND label = CreateControl(parent, "STATIC", caption, align | SS_NOPREFIX | extraStyle, -1, place);
    ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    m_labels.push_back({label, color});
    return label;
}

HWND Form::AddLink(HWND parent, const char* caption, DWORD align, const TwipsRect& place,
                   HFONT font, COLORREF color, int id) {
    HWND link = AddLabel(parent, caption, align | SS_NOTIFY, place, font, color);
    ::SetWindowLongPtrA(link, GWLP_ID, id);
    if (!m_hand)
        m_hand = ::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_HANDCURSOR));
    m_links.push_back(link);
    return link;
}

HWND Form::AddButton(HWND parent, const char* caption, DWORD style, int id,
                     const TwipsRect& place, HFONT font) {
    HWND button = CreateControl(parent, "BUTTON", caption, WS_TABSTOP | style, id, place);
    ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return button;
}

void Form::LayOut(std::initializer_list<Control> controls) {
    for (const Control& c : controls) {
        HWND parent = c.parent ? *c.parent : m_hwnd;
        HWND made = nullptr;
        switch (c.kind) {
        case Kind::Label:
            made = AddLabel(parent, c.caption, c.style, c.place, c.font, c.color);
            break;
        case Kind::Link:
            made = AddLink(parent, c.caption, c.style, c.place, c.font, c.color, c.id);
            break;
        case Kind::Button:
            made = AddButton(parent, c.caption, c.style, c.id, c.place, c.font);
            break;
        case Kind::Frame:
            made = CreateFrame(parent, c.caption, c.place, c.font);
            break;
        case Kind::PictureBox:
            made = CreatePictureBox(parent, c.place);
            break;
        case Kind::Icon:
            made = CreateControl(parent, "STATIC", "", SS_ICON, -1, c.place);
            break;
        }
        *c.handle = made;
    }
    // New children already go last among their siblings; said here so no caller relies on it.
    for (const Control& c : controls)
        ::SetWindowPos(*c.handle, HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT Form::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_hwnd, message, wParam, lParam);
}

LRESULT Form::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto isLink = [this](HWND control) {
        return control && std::find(m_links.begin(), m_links.end(), control) != m_links.end();
    };
    if (message == WM_SETCURSOR && m_hand && isLink(reinterpret_cast<HWND>(wParam))) {
        ::SetCursor(m_hand);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED &&
        isLink(reinterpret_cast<HWND>(lParam))) {
        OpenVendorWebPage();
        return 0;
    }
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
    // Nothing here throws: the program is built without exceptions, and what would throw (out of
    // memory, say) tells the user and ends the program instead (support/Runtime.cpp).
    return form->Dispatch(message, wParam, lParam);
}

} // namespace qg
