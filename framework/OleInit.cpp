#include <ole2.h>

#include "framework/WinApp.h"

// Apart from the application class, so that a program that never asks for OLE
// does not load it: its start would pay for OLE's libraries and services.
bool AfxOleInit() {
    // Uninitialised as the process ends, on the thread that initialised it,
    // after every window and COM object of the run has gone.
    static const struct OleSession {
        bool initialized = SUCCEEDED(::OleInitialize(nullptr));
        ~OleSession() {
            if (initialized) ::OleUninitialize();
        }
    } session;
    return session.initialized;
}
