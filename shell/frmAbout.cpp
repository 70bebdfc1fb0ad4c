/*
 * The About window (see frmAbout.h).
 */
#include "shell/frmAbout.h"

#include "resources/resource.h"
#include "shell/Application.h"

#include "Version.h"

namespace qg {

namespace {

constexpr char ClassName[] = "QgAbout";
// Fixed dialog frame and a caption with no control box and no icon.
constexpr DWORD Style = WS_POPUP | WS_CAPTION;
constexpr DWORD ExStyle = WS_EX_DLGMODALFRAME;

constexpr int IdLbllink = 301;

} // namespace

bool frmAbout::Create() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!RegisterFormClass(ClassName, nullptr))
        return false;
    m_font = MakeFont("MS Sans Serif", 8.25);
    m_titleFont = MakeFont("Verdana", 9, true);
    m_linkFont = MakeFont("MS Sans Serif", 8.25, false, false, true);
    m_icon = UniqueIcon(static_cast<HICON>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_ABOUT), IMAGE_ICON, 48, 48, 0)));
    // Owned by the hidden splash window: that keeps it out of the taskbar, and it is not
    // owned by the home window, which it must not disable along with itself.
    if (!CreateForm(ClassName, "About Quillgate", Style, ExStyle, 5235, 2685, m_app.HiddenOwner()))
        return false;
    HFONT font = m_font.get();
    HFONT title = m_titleFont.get();
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    constexpr COLORREF Blue = RGB(0, 0, 255);

    // In tab order: the frame and its labels, then the picture box with Ok, then the link.
    LayOut({
        {&Frm1PC, nullptr, Kind::Frame, "About", 0, -1, {1200, 120, 3855, 1935}, font, 0},
        {&Lbl1, &Frm1PC, Kind::Label, "Quillgate version " QG_VERSION_SHORT, SS_CENTER, -1,
         {240, 360, 3375, 255}, title, text},
        {&Lbl2, &Frm1PC, Kind::Label, "Version " QG_VERSION_SHORT, SS_LEFT, -1,
         {600, 840, 1695, 255}, font, text},
        {&Lbl3, &Frm1PC, Kind::Label, "Build " QG_BUILD_NUMBER "  (" QG_BUILD_DATE ")", SS_LEFT,
         -1, {600, 1080, 1695, 255}, font, text},
        {&Lbl5, &Frm1PC, Kind::Label, "Developed by Corvane", SS_LEFT, -1,
         {600, 1320, 3015, 255}, font, text},
        {&Picture1, nullptr, Kind::PictureBox, "", 0, -1, {3720, 2160, 1335, 375}, font, 0},
        {&CmdAbout, &Picture1, Kind::Button, "&Ok", BS_DEFPUSHBUTTON, IDOK, {0, 0, 1275, 320},
         font, 0},
        // Wider than 1455 twips, which holds no more than "http://" of our address: up to the
        // picture box, so the whole address shows.
        {&lbllink, nullptr, Kind::Link, VendorWebAddress, SS_CENTER, IdLbllink,
         {120, 2280, 3480, 255}, m_linkFont.get(), Blue},
        {&Img1, nullptr, Kind::Icon, "", 0, -1, {240, 240, 720, 720}, font, 0},
    });
    ::SendMessageA(Img1, STM_SETICON, reinterpret_cast<WPARAM>(m_icon.get()), 0);
    return true;
}

bool frmAbout::Show() {
    if (!m_hwnd && !Create())
        return false;
    ::ShowWindow(m_hwnd, SW_SHOW);
    ::SetForegroundWindow(m_hwnd);
    ::SetFocus(CmdAbout);
    return true;
}

void frmAbout::Ok() {
    // Enable the home window before hiding this one: hiding the active window while the only
    // other window is disabled sends activation to another program (and under Wine stalls for
    // two seconds waiting for it).
    HWND home = m_app.Home().hwnd();
    ::EnableWindow(home, TRUE);
    ::ShowWindow(m_hwnd, SW_HIDE);
    m_app.Home().TakeFocusBack();
    ::RedrawWindow(home, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN |
                                               RDW_UPDATENOW);
}

LRESULT frmAbout::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !m_placing) {
            // MakeTopmost activates the window again; do not come back in here for that.
            m_placing = true;
            CenterForm(m_hwnd);
            MakeTopmost(m_hwnd);
            m_placing = false;
            ::SetFocus(CmdAbout);
            return 0;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            Ok(); // Ok is the default and the cancel button: Enter and Esc press it
            return 0;
        }
        break;
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_CLOSE:
        Ok(); // Alt+F4 does what Ok does: Ok is the only way back to the home window
        return 0;
    default:
        break;
    }
    return Form::OnMessage(message, wParam, lParam);
}

} // namespace qg
