#pragma once

#include <windows.h>

// Holds a window disabled while its own thread works through a long job with
// a window of another thread in front of it (the progress dialog): nothing
// can start a second job meanwhile, the window keeps the wait cursor, and
// between steps the job lets it handle its messages, so that it repaints and
// answers the system instead of being taken for hung. Input queued for the
// window before it was disabled is dropped rather than run afterwards.
class CDisabledOwner {
public:
    CDisabledOwner() = default;
    ~CDisabledOwner() { Enable(); }
    CDisabledOwner(const CDisabledOwner&) = delete;
    CDisabledOwner& operator=(const CDisabledOwner&) = delete;

    // Disables the window and notes which of its windows had the focus.
    void Disable(HWND hOwner);
    // Enables the window again. Called before the window in front goes, so
    // that the activation comes back to this one rather than to another
    // program.
    void Enable();
    // Once the window in front has gone: gives the focus back to the window
    // that had it, when the owner is active again and nothing else took it.
    void ReturnFocus();

    // Handles the messages waiting for this thread, at most a bounded number
    // at a time; false when the program was asked to quit (the quit is posted
    // again for the loop that runs the program).
    bool Pump();
    // Paints what waits to be painted on this thread's windows, and handles
    // nothing else: for a job whose window is not disabled yet.
    static void PumpPaint();

private:
    HWND m_hOwner = nullptr;
    HWND m_hFocus = nullptr;
    bool m_bDisabled = false;
};
