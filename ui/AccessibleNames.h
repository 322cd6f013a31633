#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"

struct IAccPropServices;

// Names and descriptions that a screen reader announces for controls whose
// own text says too little (a button that reads "...", a grey button), set
// through the platform's documented annotation service rather than an
// accessible object of our own, so that the standard one keeps its role,
// state and everything else.
class CAccessibleNames {
public:
    CAccessibleNames();
    ~CAccessibleNames();
    CAccessibleNames(const CAccessibleNames&) = delete;
    CAccessibleNames& operator=(const CAccessibleNames&) = delete;

    // Gives the control the name; false when the service is not there (COM
    // not started on this thread, or a system without it), when the control
    // keeps its own name.
    bool SetName(HWND hControl, const std::wstring& name);
    // What a reader says after the name and the state: why a grey button is
    // grey, for instance.
    bool SetDescription(HWND hControl, const std::wstring& description);
    void ClearDescription(HWND hControl);
    // Takes every name back; due before the controls are destroyed.
    void Clear();

private:
    bool SetProperty(HWND hControl, const GUID& property, const std::wstring& text);

    CComInterface<IAccPropServices> m_services;
    std::vector<HWND> m_named;
};
