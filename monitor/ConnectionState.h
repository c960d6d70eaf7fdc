// The state of one pipe connection: what its thread keeps between requests
// (ConnectionState) and the record the listener hands to that thread
// (PipeConnection).
#pragma once

#include "CAppInfoHolder.h"

#include <windows.h>

#include <cstdint>
#include <memory>

class CMainWindowLink;
struct PipeConnection;

// Owned by the connection thread; never shared with other threads.
struct ConnectionState
{
    // The client that INIT registered on this connection; none before INIT and
    // again after TERMINATE or CLEAN.
    std::unique_ptr<CAppInfoHolder> m_pClient;
    // The connection whose registration TERMINATE and CLEAN remove; null for none.
    PipeConnection* m_pConnection = nullptr;
    // The processor asked for the connection to end after its reply.
    bool m_bClosing = false;
};

// One accepted connection. Created by the listener, destroyed by its connection
// thread under the client-table mutex; while it holds a registration, the client
// table has one entry for it, under the registered client id.
struct PipeConnection
{
    std::int32_t m_lClientId = 0; // the registered id; both fields change under the table mutex
    bool m_bRegistered = false;
    HANDLE m_hPipe = INVALID_HANDLE_VALUE;
    HANDLE m_hThread = nullptr;
    CMainWindowLink* m_pMainFrame = nullptr; // not owned
};
