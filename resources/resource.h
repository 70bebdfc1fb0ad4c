/*
 * Identifiers of the program's resources, shared by the resource script and the code.
 */
#pragma once

#define IDI_PROGRAM 1
#define IDI_ABOUT 2
#define IDB_SPLASH 10
#define IDR_HANDCURSOR 20

#define IDD_INPUTBOX 100
#define IDC_INPUT_PROMPT 101
#define IDC_INPUT_EDIT 102
#define IDC_INPUT_CAPS 103
