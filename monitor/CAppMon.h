// CAppMon: the monitor's automation object. It has no methods and no
// properties; one instance stands in the running-object table under
// CLSID_AppMon while the monitor runs, so that a second monitor and the client
// libraries see a running monitor, and the class factory lets COM start the
// monitor program for a client that finds none.
#pragma once

#include "OleObjectFactory.h"

class CAppMon : public CCmdTarget
{
    DECLARE_DYNCREATE(CAppMon)
    DECLARE_OLECREATE(CAppMon)

public:
    CAppMon();
    ~CAppMon() override;

    void OnFinalRelease() override;

    // Enters this object into the running-object table under CLSID_AppMon (strong
    // registration). TRUE on success, also when another object already stood there.
    BOOL RegisterAsActiveObject();
    // Withdraws that entry, if any. The destructor does it too, so the table never
    // refers to a deleted object.
    void RevokeActiveObject();

    DWORD m_dwRegister = 0; // cookie of the running-object registration; 0 when none

    DECLARE_MESSAGE_MAP()
    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()
};
