// The application object of the window tests (the last stop of command routing),
// helpers to pump this thread's messages and to set the keyboard state that
// accelerators and indicators read.
#pragma once

#include "WinApp.h"

class CTestApp : public CWinApp
{
public:
    int m_nAppOnly = 0;
    int m_nExitInstance = 0;

    int ExitInstance() override;
    void OnAppOnly() { ++m_nAppOnly; }

    DECLARE_MESSAGE_MAP()
};

extern CTestApp theApp;

// Dispatches what is queued now (through the application's PreTranslateMessage);
// leaves a WM_QUIT in the queue.
void PumpPending();

// Sets this thread's view of a key: held down, or toggled (Caps Lock on).
void SetKeyDown(int nVirtKey, bool bDown);
void SetKeyToggled(int nVirtKey, bool bOn);
