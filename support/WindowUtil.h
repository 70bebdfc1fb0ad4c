/*
 * Window placement and the small pieces the three windows share: twips to pixels, fonts,
 * labels with a transparent background, the hand cursor, opening the vendor's web page.
 */
#pragma once

#include "support/Handles.h"

#include <windows.h>

#include <string>

namespace qg {

// The vendor's web page, shown by both link labels and opened by a click on either. Short
// enough to stand on one line of the home window's link label: an address has no blank at
// which a label could wrap it.
constexpr char VendorWebAddress[] = "http://qg.example";

// Edge that centres an extent in another: (outer - inner) / 2, fraction kept, not clamped,
// so a window larger than the screen gets a negative edge.
float CenteredEdge(float outer, float inner);

// Moves the window to the middle of the whole screen (not the work area), keeping its size.
void CenterForm(HWND window);

// Moves the window, keeping its size, to the middle of the whole screen across and `down` of
// the free height from the top: a half centres it, a third places it as an input box.
void PlaceOnScreen(HWND window, float down);

// Puts the window in the topmost band without moving or resizing it.
void MakeTopmost(HWND window);

// Twips (1/1440 inch) to pixels at the screen's real resolution.
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);

// A rectangle given in twips as left, top, width, height.
struct TwipsRect {
    int left, top, width, height;
};

// A font of the given face and size in points, at the screen's resolution.
UniqueFont MakeFont(const char* face, double points, bool bold = false, bool italic = false,
                    bool underline = false);

// Creates a child control placed in twips, relative to (originX, originY) twips.
HWND CreateControl(HWND parent, const char* className, const char* text, DWORD style, int id,
                   const TwipsRect& place, int originX = 0, int originY = 0, DWORD exStyle = 0);

// Outer window size for a client area given in twips.
SIZE OuterSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle);

// Size in pixels of one line of text in the font, as a label draws it.
SIZE TextExtent(HFONT font, const char* text);

// Changes a transparent label's caption. Such a label paints its text over what is behind it
// without erasing, so the parent must repaint that spot first or the old text shows through.
void SetLabelText(HWND label, const char* text);

// A label's caption.
std::string WindowText(HWND window);

// Opens the vendor's page with the shell's default action; a failure is ignored.
void OpenVendorWebPage();

} // namespace qg
