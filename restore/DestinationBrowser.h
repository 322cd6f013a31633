#pragma once

#include <windows.h>

#include <string>

// The folder browser's callback for a destination folder: preselects the
// folder stored in DestPath, read afresh when the browser is initialised.
int CALLBACK BrowseCallbackProc(HWND hWnd, UINT message, LPARAM lParam, LPARAM data);

// Asks the user for a destination folder with the shell's folder browser,
// owned by the window. True with the folder's file-system path filled in; false
// when the user cancelled or picked an item that has no file-system path, which
// would otherwise become an empty destination and so the files' former places.
bool BrowseForDestination(HWND hOwner, std::wstring* pFolder);
