/*
 * Child windows that hold other controls, as a frame or a picture box does: a frame draws an
 * etched border with its caption, a picture box is a plain panel. Both pass their controls'
 * notifications on to the window they sit in, and let Tab move into them.
 */
#pragma once

#include "support/WindowUtil.h"

#include <windows.h>

namespace qg {

constexpr char FrameClass[] = "QgFrame";
constexpr char PictureBoxClass[] = "QgPictureBox";

// False when a class could not be registered.
bool RegisterContainerClasses();

HWND CreateFrame(HWND parent, const char* caption, const TwipsRect& place, HFONT font);
HWND CreatePictureBox(HWND parent, const TwipsRect& place);

} // namespace qg
