/*
 * Base of the three windows: the window-procedure thunk that ties a window to its object, and
 * the transparent, coloured labels every window has.
 */
#pragma once

#include "support/Handles.h"
#include "support/WindowUtil.h"

#include <windows.h>

#include <vector>

namespace qg {

class Form {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form() = default;

    HWND hwnd() const { return m_hwnd; }

protected:
    static void RegisterFormClass(const char* className, HICON icon);

    // Creates the window with a client area of the given size in twips, centred on the screen.
    bool CreateForm(const char* className, const char* caption, DWORD style, DWORD exStyle,
                    int clientWidthTwips, int clientHeightTwips, HWND owner);

    // A label: a STATIC whose text is its caption, drawn in `color` over what is behind it.
    HWND AddLabel(HWND parent, const char* caption, DWORD align, const TwipsRect& place,
                  HFONT font, COLORREF color, DWORD extraStyle = 0);

    // The window's own handling; unhandled messages go to DefWindowProc.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;

private:
    struct LabelColor {
        HWND label;
        COLORREF color;
    };
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    std::vector<LabelColor> m_labels;
};

} // namespace qg
