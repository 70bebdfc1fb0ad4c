/*
 * Base of the three windows: the window-procedure thunk that ties a window to its object, and
 * the controls they share: transparent, coloured labels, the link labels to the vendor's page,
 * buttons in a font of the window's, and the tab order.
 */
#pragma once

#include "support/Handles.h"
#include "support/WindowUtil.h"

#include <windows.h>

#include <initializer_list>
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
    // False when the class could not be registered (one registered already is fine).
    static bool RegisterFormClass(const char* className, HICON icon);

    // Creates the window with a client area of the given size in twips, centred on the screen.
    bool CreateForm(const char* className, const char* caption, DWORD style, DWORD exStyle,
                    int clientWidthTwips, int clientHeightTwips, HWND owner);

    // A label: a STATIC whose text is its caption, drawn in `color` over what is behind it.
    HWND AddLabel(HWND parent, const char* caption, DWORD align, const TwipsRect& place,
                  HFONT font, COLORREF color, DWORD extraStyle = 0);

    // A link label: shows the hand cursor, and a click opens the vendor's web page.
    HWND AddLink(HWND parent, const char* caption, DWORD align, const TwipsRect& place,
                 HFONT font, COLORREF color, int id);

    // A button (push or option) with a tab stop, in the font.
    static HWND AddButton(HWND parent, const char* caption, DWORD style, int id,
                          const TwipsRect& place, HFONT font);

    // One control of a window's layout. Labels and links take `style` as their alignment;
    // links and buttons take `id`. An icon is an empty SS_ICON static, given its icon after.
    enum class Kind { Label, Link, Button, Frame, PictureBox, Icon };
    struct Control {
        HWND* handle; // the window's member that receives the control
        HWND* parent; // a frame or picture box made earlier in the table; null: the window
        Kind kind;
        const char* caption;
        DWORD style;
        int id;
        TwipsRect place;
        HFONT font;
        COLORREF color;
    };
    // Makes the controls in the table's order, which is also their tab order within each
    // parent (tab order follows the order of the windows).
    void LayOut(std::initializer_list<Control> controls);

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
    std::vector<HWND> m_links;
    HCURSOR m_hand = nullptr;
};

} // namespace qg
