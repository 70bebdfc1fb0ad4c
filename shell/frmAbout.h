/*
 * The About window: product, version, build and maker, and the vendor's web link. While it is
 * up the home window is disabled; Ok (also Enter, Esc and Alt+F4) hands control back.
 */
#pragma once

#include "shell/Form.h"

namespace qg {

class Application;

class frmAbout : public Form {
public:
    explicit frmAbout(Application& app) : m_app(app) {}

    // Created on first use and reused afterwards. False when it could not be created.
    bool Show();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool Create();
    void Ok();

    Application& m_app;
    UniqueFont m_font;
    UniqueFont m_titleFont;
    UniqueFont m_linkFont;
    UniqueIcon m_icon;
    bool m_placing = false;

    // The controls, in tab order (see Create).
    HWND Frm1PC = nullptr;
    HWND Picture1 = nullptr;
    HWND lbllink = nullptr;
    HWND Img1 = nullptr;
    // In Frm1PC:
    HWND Lbl1 = nullptr;
    HWND Lbl2 = nullptr;
    HWND Lbl3 = nullptr;
    HWND Lbl5 = nullptr;
    // In Picture1:
    HWND CmdAbout = nullptr;
};

} // namespace qg
