/*
 * The home window: the lock's status, the choice "Yes" / "No" and the Apply and About buttons.
 * Each activation re-reads the machine's state (program files, earlier version, boot script).
 */
#pragma once

#include "lockconfig/DosSystem.h"
#include "lockconfig/LockActions.h"
#include "lockconfig/LockStatus.h"
#include "shell/Form.h"

#include <optional>
#include <string>

namespace qg {

class Application;

class frmHome : public Form {
public:
    explicit frmHome(Application& app) : m_app(app) {}

    bool Create();
    // First show: focus on the first control that takes it, then the activation steps.
    void Show();
    // The About window hands the focus back: this is an activation of the home window.
    void TakeFocusBack();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void RunActivationSteps();
    void ShowStatus(const LockStatusShown& shown);
    void SelectOption(bool yes);
    void OnApply();
    void Apply();
    // Asks about the start-up keys, or says why it does not; what the installation does.
    // Nothing when the password is refused: no prompt on this PC could take it.
    std::optional<StartupKeysChoice> ChooseStartupKeys(const std::string& password);
    // The ordinary lock, saying so where the boot script does not run.
    StartupKeysChoice OrdinaryLock(const StartupJudgement& judged, bool keysClosed);
    void FinishApply(const Outcome& outcome, bool installed);
    void OnAbout();
    void OnClose();
    void DrawApplyButton(const DRAWITEMSTRUCT& item) const;
    void SetAboutIsDefault(bool aboutIsDefault);

    Application& m_app;
    UniqueFont m_font;
    UniqueFont m_boldFont;
    UniqueFont m_titleFont;

    // The controls, in tab order (see CreateControls).
    HWND Lbl1 = nullptr;
    HWND Lbl2 = nullptr;
    HWND CmdAbout = nullptr;
    HWND CmdSettings = nullptr;
    HWND Frame1 = nullptr;
    HWND lbl233 = nullptr;
    HWND LblOver = nullptr;
    HWND Image1 = nullptr;
    // In Frame1:
    HWND lblinfo1 = nullptr;
    HWND Opt1 = nullptr;
    HWND Opt2 = nullptr;
    HWND Lblinfo2 = nullptr;
    HWND lblinfo3 = nullptr;

    HWND m_lastFocus = nullptr;
    bool m_aboutIsDefault = false; // Enter presses About while About has the focus
    bool m_applying = false;       // an Apply is running: a second one is ignored
    bool m_closePending = false;   // closed during an Apply: end once it is done
    bool m_changingFiles = false;  // the lock's files are being changed: no shutdown now
};

} // namespace qg
