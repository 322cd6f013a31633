#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

// What the shell's folder browser gave back.
enum class BrowseOutcome {
    Cancelled,         // no item chosen
    NoFileSystemPath,  // an item without a file-system path (a printer, the network root...)
    Chosen,            // a folder; the path is filled in
};

// Runs the shell's folder browser owned by the window. The callback and its
// data go to the browser unchanged; the chosen item list is freed here.
BrowseOutcome BrowseForFolder(HWND hOwner, const std::wstring& title, UINT flags,
                              BFFCALLBACK callback, LPARAM data, std::wstring* pPath);

// Browser callback that preselects the per-user setting named by the data (a
// const wchar_t* value name), read afresh when the browser is initialised.
int CALLBACK PreselectSettingCallback(HWND hWnd, UINT message, LPARAM lParam, LPARAM data);

// The folder browser's callback for a destination folder: preselects the
// folder the organisation's policy offers, else the one stored in DestPath,
// read afresh when the browser is initialised.
int CALLBACK BrowseCallbackProc(HWND hWnd, UINT message, LPARAM lParam, LPARAM data);

// Asks the user for a destination folder with the shell's folder browser,
// owned by the window. True with the folder's file-system path filled in; false
// when the user cancelled or picked an item that has no file-system path, which
// would otherwise become an empty destination and so the files' former places.
bool BrowseForDestination(HWND hOwner, std::wstring* pFolder);

// Asks the user for the quarantine folder to list, opening on the one stored
// in Path; no new folders can be made in it. True with the folder's
// file-system path filled in, false as for a destination.
bool BrowseForQuarantineFolder(HWND hOwner, std::wstring* pFolder);
