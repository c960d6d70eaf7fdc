#include "ProcessPipeCommand.h"

#include "CCommandData.h"
#include "ClientTable.h"
#include "ConnectionState.h"
#include "InitPayload.h"
#include "MainWindowLink.h"
#include "MonitorCatalogue.h"
#include "MonitorGlobals.h"
#include "PipeProtocol.h"
#include "CatalogueKeys.h"

#include <cstring>
#include <new>

namespace
{

void SendNote(const CMainWindowLink& link, const char* pszText)
{
    link.SendConsoleLine(kConsoleMonitorNote, pszText);
}

// A note whose text takes the client id; skipped when the catalogue has no text.
// A text that formats to nothing is still a text: its note is an empty line.
void SendClientIdNoteIfPresent(const CMainWindowLink& link, const char* pszKey, std::int32_t lClientId)
{
    char szLine[kCatalogueTextBytes];
    if (LookupMessageWithClientId(pszKey, lClientId, szLine))
        SendNote(link, szLine);
}

// A note shown even when its text is empty (an empty console line).
void SendPlainNote(const CMainWindowLink& link, const char* pszKey)
{
    char szText[kCatalogueTextBytes];
    LookupMessage(pszKey, szText);
    SendNote(link, szText);
}

int ProcessInit(const CCommandData& command, ConnectionState& state)
{
    // A second INIT on a connection replaces its record; the earlier one is freed.
    std::unique_ptr<CAppInfoHolder> pClient(new (std::nothrow) CAppInfoHolder);
    if (!pClient)
        return kProcessHandled; // nothing registered; the reply still goes out
    const Protocol::InitFields fields = Protocol::SplitInitPayload(command.Payload());
    pClient->m_lClientId = fields.clientId;
    pClient->m_strClientPath = fields.path;
    pClient->m_strClientText = fields.text;
    state.m_pClient = std::move(pClient);
    return kProcessRegistered;
}

int ProcessTerminate(ConnectionState& state, const CMainWindowLink* pMainFrame)
{
    if (!state.m_pClient)
        return kProcessCloseConnection;
    const std::int32_t lClientId = state.m_pClient->m_lClientId;
    if (pMainFrame)
    {
        SendClientIdNoteIfPresent(*pMainFrame, Catalogue::kTerminateNote, lClientId);
        SendPlainNote(*pMainFrame, Catalogue::kTerminateNoteFollow);
    }
    RemoveClient(state.m_pConnection);
    state.m_pClient.reset();
    return kProcessCloseConnection;
}

int ProcessClean(ConnectionState& state, const CMainWindowLink* pMainFrame)
{
    if (!state.m_pClient)
        return kProcessCloseConnection;
    const std::int32_t lClientId = state.m_pClient->m_lClientId;
    if (pMainFrame)
    {
        SendClientIdNoteIfPresent(*pMainFrame, Catalogue::kCleanNote, lClientId);
        SendClientIdNoteIfPresent(*pMainFrame, Catalogue::kCleanNoteSecond, lClientId);
        SendPlainNote(*pMainFrame, Catalogue::kCleanNoteThird);
    }
    RemoveClient(state.m_pConnection);
    state.m_pClient.reset();
    if (pMainFrame)
        SendPlainNote(*pMainFrame, Catalogue::kCleanNoteRemoved);
    return kProcessCloseConnection;
}

// INFO and ERROR: shown only when the monitor's logger lets Info through.
int ProcessGatedLine(const CCommandData& command, int nColourClass, int nShownResult,
                     const CMainWindowLink* pMainFrame)
{
    if (!pMainFrame)
        return kProcessHandled;
    if (!LoggerShowsClientLines())
        return kProcessRegistered;
    pMainFrame->SendConsoleLine(nColourClass, command.Payload());
    return nShownResult;
}

int ProcessUngatedLine(const CCommandData& command, int nColourClass, const CMainWindowLink* pMainFrame)
{
    if (pMainFrame)
        pMainFrame->SendConsoleLine(nColourClass, command.Payload());
    return kProcessHandled;
}

} // namespace

int ProcessPipeCommand(const char* pszMessage, char* pReply, DWORD* pcbReply, ConnectionState& state,
                       const CMainWindowLink* pMainFrame)
{
    std::memcpy(pReply, Protocol::kReplySuccess, Protocol::kReplySuccessBytes);
    *pcbReply = static_cast<DWORD>(Protocol::kReplySuccessBytes);

    const CCommandData command(pszMessage, Protocol::kMaxRequestBytes);
    switch (command.Kind())
    {
    case Protocol::kKindInit:
        return ProcessInit(command, state);
    case Protocol::kKindTerminate:
        return ProcessTerminate(state, pMainFrame);
    case Protocol::kKindClean:
        return ProcessClean(state, pMainFrame);
    case Protocol::kKindInfo:
        return ProcessGatedLine(command, kConsoleClientInfo, kProcessRegistered, pMainFrame);
    case Protocol::kKindError:
        return ProcessGatedLine(command, kConsoleClientError, kProcessHandled, pMainFrame);
    case Protocol::kKindSInfo:
        return ProcessUngatedLine(command, kConsoleClientSInfo, pMainFrame);
    case Protocol::kKindSError:
        return ProcessUngatedLine(command, kConsoleClientSError, pMainFrame);
    default:
        return kProcessRegistered; // unrecognised: nothing done
    }
}
