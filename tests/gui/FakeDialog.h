#pragma once

#include <windows.h>

#include <string>

#include "tests/doubles/in_process/FakeQuarantineLibrary.h"
#include "tests/gui/GuiDriver.h"

// A driver whose dialog reads its quarantine from the in-process fake. No
// product library is installed in the test prefix, so the set-up's own load
// finds none and leaves the fake's slots in place (and says so, twice).
struct FakeDialog {
    CSettingsSandbox settings;
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    CFakeQuarantineLibrary fake{driver.Dialog().m_ZEBQt};

    FakeQuarantineState& State() { return fake.State(); }
    // One quarantine file holding one file, stamped 1 March 2024, 9:00.
    void Add(const std::wstring& name, const std::wstring& virus, const std::wstring& origPath) {
        SYSTEMTIME time = {};
        time.wYear = 2024;
        time.wMonth = 3;
        time.wDay = 1;
        time.wHour = 9;
        State().containers.push_back(
            CFakeQuarantineLibrary::MakeContainer(L"C:\\Q\\" + name, virus, origPath, time));
    }
    bool Create() {
        const bool created = driver.Create();
        answerer.ClearShown();
        return created;
    }
    HWND Item(int nID) const { return ::GetDlgItem(driver.Window(), nID); }
};
