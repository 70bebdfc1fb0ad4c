/*
 * The modal input box (see InputBox.h). The dialog's layout is in the resource script.
 */
#include "support/InputBox.h"

#include "resources/resource.h"
#include "support/WindowUtil.h"

#include <string>

namespace qg {

namespace {

// Longest entry the field takes; far above any valid password, so an over-long entry still
// reaches the length check and gets its message instead of being cut silently.
constexpr int MaxEntry = 254;

// How often the Caps Lock hint looks at the key: no message tells a window of its toggle.
constexpr UINT CapsTimer = 1;
constexpr UINT CapsCheckMs = 100;

struct InputBoxState {
    const char* title;
    const char* prompt;
    SecretString* answer;
    std::vector<MSG>* typed;
};

void ShowCapsLockHint(HWND dialog) {
    const bool on = (::GetKeyState(VK_CAPITAL) & 1) != 0;
    HWND hint = ::GetDlgItem(dialog, IDC_INPUT_CAPS);
    if ((::IsWindowVisible(hint) != FALSE) != on)
        ::ShowWindow(hint, on ? SW_SHOWNA : SW_HIDE);
}

// Gives the field what was typed before the box was up, in order, and wipes the copies.
void PassOnTyped(HWND dialog, std::vector<MSG>* typed) {
    if (!typed)
        return;
    HWND edit = ::GetDlgItem(dialog, IDC_INPUT_EDIT);
    for (MSG& msg : *typed) {
        ::PostMessageA(edit, msg.message, msg.wParam, msg.lParam);
        msg.wParam = 0;
    }
    typed->clear();
}

// The edit control frees its buffer without clearing it; overwrite the text in place first.
void ClearField(HWND edit) {
    const int length = ::GetWindowTextLengthA(edit);
    if (length > 0) {
        std::string blanks(static_cast<std::size_t>(length), ' ');
        ::SetWindowTextA(edit, blanks.c_str());
    }
    ::SetWindowTextA(edit, "");
}

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* state = reinterpret_cast<InputBoxState*>(lParam);
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        ::SetWindowTextA(dialog, state->title);
        ::SetDlgItemTextA(dialog, IDC_INPUT_PROMPT, state->prompt);
        ::SendDlgItemMessageA(dialog, IDC_INPUT_EDIT, EM_LIMITTEXT, MaxEntry, 0);
        ::SetDlgItemTextA(dialog, IDC_INPUT_CAPS, CapsLockHint);
        ShowCapsLockHint(dialog);
        ::SetTimer(dialog, CapsTimer, CapsCheckMs, nullptr);
        PlaceOnScreen(dialog, 1.0f / 3.0f);
        PassOnTyped(dialog, state->typed);
        return TRUE; // focus goes to the first tab stop, the field
    }
    case WM_TIMER:
        if (wParam == CapsTimer)
            ShowCapsLockHint(dialog);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id != IDOK && id != IDCANCEL)
            break;
        auto* state = reinterpret_cast<InputBoxState*>(::GetWindowLongPtrA(dialog, DWLP_USER));
        HWND edit = ::GetDlgItem(dialog, IDC_INPUT_EDIT);
        if (id == IDOK) {
            std::string& answer = state->answer->buffer();
            answer.assign(MaxEntry + 1, '\0');
            const int got = ::GetWindowTextA(edit, &answer[0], MaxEntry + 1);
            answer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        }
        ClearField(edit);
        ::KillTimer(dialog, CapsTimer);
        ::EndDialog(dialog, id);
        return TRUE;
    }
    default:
        break;
    }
    (void)lParam;
    return FALSE;
}

} // namespace

bool InputBox(HWND owner, const char* title, const char* prompt, SecretString& answer,
              std::vector<MSG>* typed) {
    answer.wipe();
    InputBoxState state{title, prompt, &answer, typed};
    const INT_PTR result = ::DialogBoxParamA(reinterpret_cast<HINSTANCE>(::GetModuleHandleA(nullptr)),
                                             MAKEINTRESOURCEA(IDD_INPUTBOX), owner, InputBoxProc,
                                             reinterpret_cast<LPARAM>(&state));
    // -1, or 0 with an invalid owner: the box never came up. Otherwise IDOK or IDCANCEL.
    return result == IDOK || result == IDCANCEL;
}

} // namespace qg
