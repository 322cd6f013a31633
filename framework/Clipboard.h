#pragma once

#include <windows.h>

#include <string>

// Puts the text on the clipboard as Unicode text in place of what it held;
// false when the clipboard could not be opened or the memory not had.
bool PutTextOnClipboard(HWND hOwner, const std::wstring& text);

// The clipboard's Unicode text; empty when it holds none.
std::wstring ClipboardText(HWND hOwner);
