/*
 * The splash window: the product picture with a shadowed build mark, shown for three seconds
 * at start-up, then hidden for the rest of the program's life.
 */
#pragma once

#include "shell/Form.h"

namespace qg {

class frmMain : public Form {
public:
    bool Create();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();

    HWND LBlTop = nullptr;
    HWND lbl3323ss = nullptr;
    const BITMAPINFO* m_picture = nullptr; // the splash picture, in the program's resources
    UniquePalette m_palette;               // its colours, for a screen of 256 colours
    UniqueFont m_buildFont;
};

} // namespace qg
