/*
 * The home window (see frmHome.h).
 */
#include "shell/frmHome.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/BootScript.h"
#include "lockconfig/DosSystem.h"
#include "lockconfig/LockActions.h"
#include "lockconfig/Messages.h"
#include "lockconfig/PasswordEntry.h"
#include "lockconfig/LockStatus.h"
#include "lockconfig/KeyboardCheck.h"
#include "lockconfig/StartupKeySteps.h"
#include "resources/resource.h"
#include "shell/Application.h"
#include "shell/Container.h"
#include "support/FileUtil.h"
#include "support/Scoped.h"
#include "support/Timing.h"

#include "Version.h"

namespace qg {

namespace {

constexpr char ClassName[] = "QgHome";
constexpr char Caption[] = "Quillgate v" QG_VERSION_SHORT " Build " QG_BUILD_NUMBER_2;
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

// GetVersion is what Windows 95 has; later compilers mark it deprecated for new programs.
DWORD WindowsVersion() {
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    return ::GetVersion();
}

constexpr char StatusNotActive[] = "Not Active";
constexpr char StatusActive[] = "Quillgate is active.";
// The line is there, but qg.exe or every password file is missing: the boot only goes on.
constexpr char StatusDamaged[] = "Quillgate is damaged.";
// The line is there, but FreeDOS starts FDAUTO.BAT instead of the boot script.
constexpr char StatusNotRun[] = "Not Active: FDAUTO.BAT runs.";

constexpr COLORREF DarkBlue = RGB(0, 0, 192);
constexpr COLORREF Navy = RGB(0, 0, 128);
constexpr COLORREF DarkGreen = RGB(0, 128, 0);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF ApplyGreen = RGB(0, 255, 0);

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

} // namespace

bool frmHome::Create() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HICON icon = static_cast<HICON>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 32, 32, LR_SHARED));
    if (!RegisterFormClass(ClassName, icon))
        return false;
    m_font = MakeFont("Verdana", 8.25);
    m_boldFont = MakeFont("Verdana", 8.25, true);
    m_titleFont = MakeFont("Verdana", 12, true, true);
    if (!CreateForm(ClassName, Caption, Style, ExStyle, 5940, 2940, nullptr))
        return false;
    CreateControls();
    return true;
}

void frmHome::CreateControls() {
    HFONT font = m_font.get();
    HFONT bold = m_boldFont.get();
    HINSTANCE instance = ::GetModuleHandleA(nullptr);

    HFONT title = m_titleFont.get();
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    const std::string visit = std::string("Visit our web site at ") + VendorWebAddress;

    // In tab order. Lbl1 and LblOver hold the same title and make a shadowed one.
    LayOut({
        {&Lbl1, nullptr, Kind::Label, "Corvane Online", SS_CENTER, -1, {1860, 120, 3975, 375},
         title, Black},
        {&Lbl2, nullptr, Kind::Label, "Quillgate for DOS/Windows", SS_CENTER, -1,
         {1800, 380, 3975, 255}, bold, DarkBlue},
        {&CmdAbout, nullptr, Kind::Button, "Ab&out", BS_PUSHBUTTON | BS_NOTIFY, IdCmdAbout,
         {240, 1800, 1455, 375}, font, 0},
        {&CmdSettings, nullptr, Kind::Button, "&Apply", BS_OWNERDRAW, IdCmdSettings,
         {240, 2280, 1455, 375}, bold, 0},
        {&Frame1, nullptr, Kind::Frame, "Program Settings", 0, -1, {1920, 840, 3855, 1935}, font,
         0},
        {&lblinfo1, &Frame1, Kind::Label, "Activate Quillgate at boot up?", SS_CENTER, -1,
         {120, 360, 3615, 255}, bold, text},
        {&Opt1, &Frame1, Kind::Button, "Yes", BS_AUTORADIOBUTTON | WS_GROUP, IdOpt1,
         {1560, 600, 1095, 255}, font, 0},
        {&Opt2, &Frame1, Kind::Button, "No", BS_AUTORADIOBUTTON, IdOpt2, {1560, 840, 1215, 255},
         font, 0},
        {&Lblinfo2, &Frame1, Kind::Label, "Current status", SS_CENTER | WS_GROUP, -1,
         {120, 1320, 3615, 255}, bold, text},
        {&lblinfo3, &Frame1, Kind::Label, StatusNotActive, SS_CENTER, -1, {120, 1560, 3615, 255},
         font, DarkBlue},
        {&lbl233, nullptr, Kind::Link, visit.c_str(), SS_CENTER, IdLbl233, {120, 960, 1695, 615},
         font, Navy},
        {&LblOver, nullptr, Kind::Label, "Corvane Online", SS_LEFT, -1, {2280, 120, 3495, 375},
         title, DarkGreen},
        {&Image1, nullptr, Kind::Icon, "", 0, -1, {720, 240, 480, 480}, font, 0},
    });
    PlaceShadow(LblOver, Lbl1, title);
    ::SendMessageA(Image1, STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM),
                                                         IMAGE_ICON, 32, 32, LR_SHARED)),
                   0);
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

void frmHome::ShowStatus(const LockStatusShown& shown) {
    switch (shown.status) {
    case LockStatusShown::Status::Unchanged:
        break;
    case LockStatusShown::Status::NotActive:
        SetLabelText(lblinfo3, StatusNotActive);
        break;
    case LockStatusShown::Status::Active:
        SetLabelText(lblinfo3, StatusActive);
        break;
    case LockStatusShown::Status::Damaged:
        SetLabelText(lblinfo3, StatusDamaged);
        break;
    case LockStatusShown::Status::NotRun:
        SetLabelText(lblinfo3, StatusNotRun);
        break;
    }
    if (shown.option != LockStatusShown::Option::Unchanged)
        SelectOption(shown.option == LockStatusShown::Option::Yes);
}

void frmHome::SelectOption(bool yes) {
    ::SendMessageA(Opt1, BM_SETCHECK, yes ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageA(Opt2, BM_SETCHECK, yes ? BST_UNCHECKED : BST_CHECKED, 0);
}

void frmHome::RunActivationSteps() {
    // Read before the checks below, as the boot script's absence always was.
    const LockScan scan = ScanLock();
    if (!m_app.ProgramFilesPresent()) {
        ShowMessage(m_hwnd, Messages::ProgramFilesMissing);
        m_app.EndProgram();
        return;
    }
    if (FileExists(EarlierVersionFile)) {
        ShowMessage(m_hwnd, Messages::EarlierVersionAdvice);
    }
    ShowStatus(JudgeLockStatus(scan));
}

void frmHome::OnApply() {
    if (m_applying)
        return; // the pauses let a second click through
    {
        const ScopedFlag applying(m_applying);
        Apply();
    }
    if (m_closePending)
        m_app.EndProgram();
}

void frmHome::Apply() {
    if (::SendMessageA(Opt1, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        if (!WindowsRunsBootScript(WindowsVersion()))
            ShowMessage(m_hwnd, Messages::BootScriptNotRun);
        PasswordRequest request = RequestNewPassword(m_hwnd);
        if (request.selectNo)
            SelectOption(false);
        const std::optional<StartupKeysChoice> keys =
            request.password.empty() ? std::nullopt : ChooseStartupKeys(request.password.str());
        if (keys) {
            Outcome outcome;
            {
                const ScopedFlag changing(m_changingFiles);
                outcome = InstallLock(request.password, m_app.Folder(), Wait, *keys);
            }
            request.password.wipe();
            FinishApply(outcome, true);
        }
    } else if (::SendMessageA(Opt2, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        Outcome outcome;
        {
            const ScopedFlag changing(m_changingFiles);
            outcome = RemoveLock(Wait);
        }
        FinishApply(outcome, false);
    }
}

std::optional<StartupKeysChoice> frmHome::ChooseStartupKeys(const std::string& password) {
    // Read back from the disk each time: the program keeps no settings of its own. The files
    // on the drives decide, not the running Windows, which may be the other side of a dual boot.
    const StartupJudgement judged = JudgeStartupHere();
    const bool closed = StartupKeysClosed();
    // A password that a prompt cannot take would lock the owner out at every boot: each prompt
    // has the US keyboard unless KEYB runs before it.
    const std::string differ = CharactersTypedDifferentlyHere(password);
    const PromptKeyboards keyboards = JudgePromptKeyboards(judged);
    if (!differ.empty() && keyboards.strongUs) {
        if (keyboards.ordinaryUs) {
            ShowMessage(m_hwnd, Messages::PasswordNotTypeable, PasswordNotTypeableText(differ));
            return std::nullopt;
        }
        ShowMessage(m_hwnd, Messages::KeyboardDiffers, KeyboardDiffersText(differ));
        return OrdinaryLock(judged, closed);
    }
    if (!differ.empty() && keyboards.ordinaryUs && !closed) {
        // Only the strong lock's prompt, after KEYB, can take this password.
        if (AskQuestion(m_hwnd, Messages::CloseStartupKeys, CloseStartupKeysText(judged.openWays)))
            return StartupKeysChoice::Close;
        ShowMessage(m_hwnd, Messages::PasswordNotTypeable, PasswordNotTypeableText(differ));
        return std::nullopt;
    }
    // Closed ones stay closed, and what a cut-short run left half closed gets finished.
    if (closed)
        return StartupKeysChoice::Close;
    if (AskQuestion(m_hwnd, Messages::CloseStartupKeys, CloseStartupKeysText(judged.openWays)))
        return StartupKeysChoice::Close;
    return OrdinaryLock(judged, false);
}

StartupKeysChoice frmHome::OrdinaryLock(const StartupJudgement& judged, bool keysClosed) {
    if (!judged.bootScriptRuns)
        ShowMessage(m_hwnd, Messages::BootScriptSkipped);
    return keysClosed ? StartupKeysChoice::Open : StartupKeysChoice::LeaveAlone;
}

void frmHome::FinishApply(const Outcome& outcome, bool installed) {
    if (outcome.Succeeded()) {
        // The notes, if any, follow "Settings saved, thank you." in the same box.
        if (outcome.Notes().empty())
            ShowMessage(m_hwnd, Messages::SettingsSaved);
        else
            ShowMessage(m_hwnd, Messages::SettingsSaved, outcome.Message());
        if (installed)
            DeleteEarlierVersionFile();
        m_app.EndProgram();
        return;
    }
    ShowMessage(m_hwnd, Messages::SettingsNotSaved, outcome.Message());
    // Show what is really on disk now.
    RunActivationSteps();
}

void frmHome::OnAbout() {
    if (m_applying)
        return;
    m_lastFocus = ::GetFocus();
    if (!m_app.About().Show()) {
        ShowMessage(m_hwnd, Messages::WindowNotCreated);
        return; // the home window stays usable
    }
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
    case WM_QUERYENDSESSION:
        // A shutdown in the middle of the lock's file changes could leave them half done.
        return m_changingFiles ? FALSE : TRUE;
    default:
        break;
    }
    return Form::OnMessage(message, wParam, lParam);
}

} // namespace qg
