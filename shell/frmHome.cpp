/*
 * The home window (see frmHome.h).
 */
#include "shell/frmHome.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/BootScript.h"
#include "lockconfig/LockActions.h"
#include "lockconfig/PasswordEntry.h"
#include "lockconfig/SafeFiles.h"
#include "resources/resource.h"
#include "shell/Application.h"
#include "shell/Container.h"
#include "support/FileUtil.h"

namespace qg {

namespace {

constexpr char ClassName[] = "QgHome";
// Fixed single border and a caption, with no control box: no system menu, no minimise,
// maximise or close button. Alt+F4 still closes it.
constexpr DWORD Style = WS_OVERLAPPED | WS_CAPTION | WS_BORDER;
constexpr DWORD ExStyle = 0;

enum ControlId : int {
    IdOpt1 = 201,
    IdOpt2,
    IdCmdSettings,
    IdCmdAbout,
    IdLbl233,
};

constexpr char StatusNotActive[] = "Not Active";
constexpr char StatusActive[] = "Quillgate is active.";

constexpr char EarlierVersionAdvice[] =
    "You are running an older version of this software."
    "\n\r" // line feed before carriage return, as the advice has always been shown
    "It is recommended that you change your password."
    "\n\r\n\r"
    "To do so, please click YES under 'Activate Quillgate at boot up?' and press Apply, "
    "followed by your new password";

constexpr COLORREF DarkBlue = RGB(0, 0, 192);
constexpr COLORREF Navy = RGB(0, 0, 128);
constexpr COLORREF DarkGreen = RGB(0, 128, 0);
constexpr COLORREF ApplyGreen = RGB(0, 255, 0);

// Tab order follows the order of the windows: put them in the given order.
void ArrangeTabOrder(std::initializer_list<HWND> order) {
    for (HWND control : order)
        ::SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Lbl1 (centred) and LblOver (left-aligned) hold the same title and form one shadowed title:
// LblOver's text must start where Lbl1's does, which depends on the title's width in the font
// the system really gives. One pixel to the right makes the shadow.
void PlaceShadow(HWND over, HWND centred, HFONT font) {
    constexpr int ShadowOffset = 1;
    RECT box;
    ::GetWindowRect(centred, &box);
    ::MapWindowPoints(nullptr, ::GetParent(centred), reinterpret_cast<POINT*>(&box), 2);
    const int textWidth = TextExtent(font, WindowText(centred).c_str()).cx;
    const int textLeft = box.left + (box.right - box.left - textWidth) / 2;
    RECT current;
    ::GetWindowRect(over, &current);
    ::MapWindowPoints(nullptr, ::GetParent(over), reinterpret_cast<POINT*>(&current), 2);
    ::SetWindowPos(over, nullptr, textLeft + ShadowOffset, current.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateButton(HWND parent, const char* caption, DWORD style, int id, const TwipsRect& place,
                  HFONT font) {
    HWND button = CreateControl(parent, "BUTTON", caption, WS_TABSTOP | style, id, place);
    ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return button;
}

} // namespace

bool frmHome::Create() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HICON icon = static_cast<HICON>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 32, 32, LR_SHARED));
    RegisterFormClass(ClassName, icon);
    m_font = MakeFont("Verdana", 8.25);
    m_boldFont = MakeFont("Verdana", 8.25, true);
    m_titleFont = MakeFont("Verdana", 12, true, true);
    m_hand = ::LoadCursorA(instance, MAKEINTRESOURCEA(IDR_HANDCURSOR));
    if (!CreateForm(ClassName, "Quillgate v1.0 Build 05", Style, ExStyle, 5940, 2940, nullptr))
        return false;
    CreateControls();
    CenterForm(m_hwnd);
    return true;
}

void frmHome::CreateControls() {
    HFONT font = m_font.get();
    HFONT bold = m_boldFont.get();
    HINSTANCE instance = ::GetModuleHandleA(nullptr);

    Frame1 = CreateFrame(m_hwnd, "Program Settings", {1920, 840, 3855, 1935}, font);
    Opt2 = CreateButton(Frame1, "No", BS_AUTORADIOBUTTON, IdOpt2, {1560, 840, 1215, 255}, font);
    Opt1 = CreateButton(Frame1, "Yes", BS_AUTORADIOBUTTON | WS_GROUP, IdOpt1,
                        {1560, 600, 1095, 255}, font);
    lblinfo3 = AddLabel(Frame1, StatusNotActive, SS_CENTER, {120, 1560, 3615, 255}, font, DarkBlue);
    Lblinfo2 = AddLabel(Frame1, "Current status", SS_CENTER, {120, 1320, 3615, 255}, bold,
                        ::GetSysColor(COLOR_BTNTEXT), WS_GROUP);
    lblinfo1 = AddLabel(Frame1, "Activate Quillgate at boot up?", SS_CENTER,
                        {120, 360, 3615, 255}, bold, ::GetSysColor(COLOR_BTNTEXT));
    CmdSettings = CreateButton(m_hwnd, "&Apply", BS_OWNERDRAW, IdCmdSettings,
                               {240, 2280, 1455, 375}, bold);
    CmdAbout = CreateButton(m_hwnd, "Ab&out", BS_PUSHBUTTON | BS_NOTIFY, IdCmdAbout,
                            {240, 1800, 1455, 375}, font);
    LblOver = AddLabel(m_hwnd, "Corvane Online", SS_LEFT, {2280, 120, 3495, 375},
                       m_titleFont.get(), DarkGreen);
    const std::string visit = std::string("Visit our web site at ") + VendorWebAddress;
    lbl233 = AddLabel(m_hwnd, visit.c_str(), SS_CENTER | SS_NOTIFY, {120, 960, 1695, 615}, font,
                      Navy);
    ::SetWindowLongPtrA(lbl233, GWLP_ID, IdLbl233);
    Image1 = CreateControl(m_hwnd, "STATIC", "", SS_ICON, -1, {720, 240, 480, 480});
    ::SendMessageA(Image1, STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM),
                                                         IMAGE_ICON, 32, 32, LR_SHARED)),
                   0);
    Lbl2 = AddLabel(m_hwnd, "Quillgate for DOS/Windows", SS_CENTER, {1800, 380, 3975, 255}, bold,
                    DarkBlue);
    Lbl1 = AddLabel(m_hwnd, "Corvane Online", SS_CENTER, {1860, 120, 3975, 375},
                    m_titleFont.get(), RGB(0, 0, 0));
    PlaceShadow(LblOver, Lbl1, m_titleFont.get());

    ArrangeTabOrder({Lbl1, Lbl2, CmdAbout, CmdSettings, Frame1, lbl233, LblOver, Image1});
    ArrangeTabOrder({lblinfo1, Opt1, Opt2, Lblinfo2, lblinfo3});
    ::SendMessageA(Opt2, BM_SETCHECK, BST_CHECKED, 0);
}

void frmHome::Show() {
    ::ShowWindow(m_hwnd, SW_SHOW);
    ::UpdateWindow(m_hwnd);
    ::SetForegroundWindow(m_hwnd);
    ::SetFocus(CmdAbout);
    RunActivationSteps();
}

void frmHome::TakeFocusBack() {
    ::SetForegroundWindow(m_hwnd);
    ::SetActiveWindow(m_hwnd);
    ::SetFocus(m_lastFocus && ::IsChild(m_hwnd, m_lastFocus) ? m_lastFocus : CmdAbout);
    RunActivationSteps();
}

void frmHome::SetStatus(bool active) {
    SetLabelText(lblinfo3, active ? StatusActive : StatusNotActive);
}

void frmHome::SelectOption(bool yes) {
    ::SendMessageA(Opt1, BM_SETCHECK, yes ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageA(Opt2, BM_SETCHECK, yes ? BST_UNCHECKED : BST_CHECKED, 0);
}

void frmHome::RunActivationSteps() {
    // The boot script is looked at whatever its attributes: a hidden or system boot script
    // still runs at boot, so its line still locks the machine.
    const bool scriptPresent = AnyFileExists(BootScriptPath);
    if (!scriptPresent)
        SetStatus(false);
    if (!m_app.ProgramFilesPresent()) {
        ::MessageBoxA(m_hwnd, "Missing system files, please reinstall Quillgate", "Quillgate",
                      MB_OK | MB_ICONSTOP);
        m_app.EndProgram();
    }
    if (FileExists(EarlierVersionFile)) {
        ::MessageBoxA(m_hwnd, EarlierVersionAdvice, "Please change your password.",
                      MB_OK | MB_ICONINFORMATION);
    }
    if (!scriptPresent)
        return;
    const BootScriptOnDisk script = ReadBootScript();
    if (!script.readable)
        return; // the status stays as it was
    switch (ScanBootScriptStatus(script.bytes)) {
    case BootScriptStatus::Active:
        SetStatus(true);
        SelectOption(true);
        break;
    case BootScriptStatus::NotActive:
        SetStatus(false);
        SelectOption(false);
        break;
    case BootScriptStatus::NoLines:
        break;
    }
}

void frmHome::OnApply() {
    if (m_applying)
        return; // the pauses let a second click through
    m_applying = true;
    if (::SendMessageA(Opt1, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        PasswordRequest request = RequestNewPassword(m_hwnd);
        if (request.selectNo)
            SelectOption(false);
        if (!request.password.empty()) {
            const Outcome outcome = InstallLock(request.password, m_app.Folder());
            request.password.wipe();
            FinishApply(outcome.Succeeded(), outcome.Message(), true);
        }
    } else if (::SendMessageA(Opt2, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        const Outcome outcome = RemoveLock();
        FinishApply(outcome.Succeeded(), outcome.Message(), false);
    }
    m_applying = false;
    if (m_closePending)
        m_app.EndProgram();
}

void frmHome::FinishApply(bool succeeded, const std::string& failures, bool installed) {
    if (succeeded) {
        ::MessageBoxA(m_hwnd, "Settings saved, thank you.", "Note!", MB_OK | MB_ICONINFORMATION);
        if (installed)
            DeleteEarlierVersionFile();
        m_app.EndProgram();
    }
    ::MessageBoxA(m_hwnd, failures.c_str(), "Quillgate", MB_OK | MB_ICONSTOP);
    // Show what is really on disk now.
    RunActivationSteps();
}

void frmHome::OnAbout() {
    if (m_applying)
        return;
    m_lastFocus = ::GetFocus();
    m_app.About().Show();
    ::EnableWindow(m_hwnd, FALSE);
}

void frmHome::OnClose() {
    if (m_applying) {
        m_closePending = true;
        return;
    }
    m_app.EndProgram();
}

void frmHome::SetAboutIsDefault(bool aboutIsDefault) {
    if (m_aboutIsDefault == aboutIsDefault)
        return;
    m_aboutIsDefault = aboutIsDefault;
    ::SendMessageA(CmdAbout, BM_SETSTYLE,
                   (aboutIsDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY, TRUE);
    ::InvalidateRect(CmdSettings, nullptr, FALSE);
}

void frmHome::DrawApplyButton(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool isDefault = !m_aboutIsDefault;
    if (isDefault) {
        // The default button's dark outline, as a standard button shows it.
        ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::InflateRect(&r, -1, -1);
    }
    UniqueBrush green(::CreateSolidBrush(ApplyGreen));
    ::FillRect(dc, &r, green.get());
    ::DrawEdge(dc, &r, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    RECT text = r;
    if (pushed)
        ::OffsetRect(&text, 1, 1);
    char caption[64];
    ::GetWindowTextA(item.hwndItem, caption, sizeof caption);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, (item.itemState & ODS_DISABLED) ? ::GetSysColor(COLOR_GRAYTEXT)
                                                        : RGB(0, 0, 0));
    ::DrawTextA(dc, caption, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = r;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(dc, &focus);
    }
}

LRESULT frmHome::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == IdCmdSettings && code == BN_CLICKED)
            OnApply();
        else if (id == IdCmdAbout && code == BN_CLICKED)
            OnAbout();
        else if (id == IdCmdAbout && code == BN_SETFOCUS)
            SetAboutIsDefault(true);
        else if (id == IdCmdAbout && code == BN_KILLFOCUS)
            SetAboutIsDefault(false);
        else if (id == IdLbl233 && code == STN_CLICKED)
            OpenVendorWebPage();
        return 0;
    }
    case DM_GETDEFID:
        // Enter presses the focused push button, otherwise Apply.
        return MAKELRESULT(m_aboutIsDefault ? IdCmdAbout : IdCmdSettings, DC_HASDEFID);
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->hwndItem == CmdSettings) {
            DrawApplyButton(*item);
            return TRUE;
        }
        break;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == lbl233 && m_hand) {
            ::SetCursor(m_hand);
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // A plain window gives the focus to itself on activation; keep it on the control.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus && ::IsChild(m_hwnd, focus))
                m_lastFocus = focus;
        } else if (m_lastFocus && ::IsChild(m_hwnd, m_lastFocus) && ::IsWindowEnabled(m_hwnd)) {
            ::SetFocus(m_lastFocus);
            return 0;
        }
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    default:
        break;
    }
    return Form::OnMessage(message, wParam, lParam);
}

} // namespace qg
