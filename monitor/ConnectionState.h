// The state of one pipe connection: what its thread keeps between requests
// (ConnectionState) and the record the listener hands to that thread
// (PipeConnection).
#pragma once

#include "CAppInfoHolder.h"

#include <windows.h>

#include <cstdint>
#include <memory>

class CMainWindowLink;

// Owned by the connection thread; never shared with other threads.
struct ConnectionState
{
    // The client that INIT registered on this connection; none before INIT and
    // again after TERMINATE or CLEAN.
    std::unique_ptr<CAppInfoHolder> m_pClient;
    // The processor asked for the connection to end after its reply.
    bool m_bClosing = false;
};

// One accepted connection. Created by the listener, destroyed by its connection
// thread under the client-table mutex; the client table maps the registered
// client id to it.
struct PipeConnection
{
    std::int32_t m_lClientId = 0; // 0 until a client registers on this connection
    HANDLE m_hPipe = INVALID_HANDLE_VALUE;
    HANDLE m_hThread = nullptr;
    bool m_bClosed = false;
    CMainWindowLink* m_pMainFrame = nullptr; // not owned
};
