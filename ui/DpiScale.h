#pragma once

#include <windows.h>

// The pixel measures the program sets itself (column widths, the size grip)
// are given for a 96-DPI screen. The manifest declares the program DPI-aware,
// so the system leaves its windows unscaled and the program scales them.

// A 96-DPI measure at the given DPI, rounded to the nearest pixel. A DPI of 0
// or less (no answer from the screen) leaves the measure as it is.
int ScaleToDpi(int pixels, int dpi);

// The DPI of the screen the window is shown on (the system DPI for a program
// that is DPI-aware but not per monitor); 96 when it cannot be read.
int WindowDpi(HWND hWnd);
