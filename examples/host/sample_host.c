/*
 * sample_host.c - a host application of Varnel.dll, in plain C.
 *
 * Shows the calling sequence: initialise once (results checked), log from several
 * threads in all four kinds, let the companion library report through the logger,
 * clean up. Link with the import library of its bitness and toolchain (lib\ or
 * lib\x64\: Varnel.lib or libvarnel.dll.a), or build it with CMakeLists.txt beside
 * it; the Varnel.dll of its bitness must be found at run time (next to the
 * program, or on PATH).
 *
 *   sample_host [applicationId [rounds]]
 *
 * applicationId: the non-zero id this host announces (default 1001); rounds: how
 * many times each thread writes its four lines (default 2).
 *
 * Log lines are forwarded only in debug mode, that is when QX_LMDEBUGLOGLEVEL is
 * set before the program starts, for example
 *   QX_LMDEBUGLOGLEVEL=ZOVLOGGER=1;ALL
 * which also gives the process a logger for the companion library.
 */
#include "sample_companion.h"
#include "varnel.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#define THREAD_COUNT 3
#define MAX_ROUNDS 1000

struct LoggingThread
{
    int nThread;
    int nRounds;
    HANDLE hThread;
};

/* Each thread writes one line of every kind per round. A ';' would end the text
 * in the console, so the texts avoid it. */
static DWORD WINAPI WriteLogLines(LPVOID pParameter)
{
    const struct LoggingThread* pThread = (const struct LoggingThread*)pParameter;
    static const struct
    {
        int nKind;
        const char* pszText;
    } lines[] = {
        {ZOVLC_LOG_INFO, "information: work item %d done"},
        {ZOVLC_LOG_ERROR, "error: work item %d could not be saved (sample)"},
        {ZOVLC_LOG_SINFO, "diagnostic: work item %d took 12 ms"},
        {ZOVLC_LOG_SERROR, "diagnostic error: work item %d retried (sample)"},
    };
    char szText[256];
    int nRound;
    size_t i;
    for (nRound = 0; nRound < pThread->nRounds; ++nRound)
    {
        for (i = 0; i < sizeof(lines) / sizeof(lines[0]); ++i)
        {
            char szItem[160];
            _snprintf(szItem, sizeof(szItem) - 1, lines[i].pszText, nRound + 1);
            szItem[sizeof(szItem) - 1] = '\0';
            _snprintf(szText, sizeof(szText) - 1, "thread %d, %s", pThread->nThread, szItem);
            szText[sizeof(szText) - 1] = '\0';
            /* Returns when the monitor has shown the line; at once outside debug mode. */
            ZOVLC_SendLogMessage(szText, lines[i].nKind);
        }
    }
    return 0;
}

/* The companion library is loaded by Varnel.dll from the installation folder;
 * it is optional, so look for it instead of linking it. */
static void LetTheCompanionReport(const char* pszContext)
{
    HMODULE hCompanion = GetModuleHandleA(ZOVNL_LIBRARY_NAME);
    PFN_ZOVNL_WRITESAMPLEDIAGNOSTICS pfnWrite = NULL;
    if (hCompanion)
        pfnWrite = (PFN_ZOVNL_WRITESAMPLEDIAGNOSTICS)(void*)GetProcAddress(hCompanion,
                                                                           ZOVNL_WRITE_SAMPLE_DIAGNOSTICS);
    if (!pfnWrite)
        printf("companion library: not loaded (no installation folder, or not the sample one)\n");
    else if (pfnWrite(pszContext))
        printf("companion library: wrote its diagnostics through the logger\n");
    else
        printf("companion library: has no logger (QX_LMDEBUGLOGLEVEL without ZOVLOGGER)\n");
}

int main(int argc, char** argv)
{
    const int nApplicationId = argc > 1 ? atoi(argv[1]) : 1001;
    int nRounds = argc > 2 ? atoi(argv[2]) : 2;
    struct LoggingThread threads[THREAD_COUNT];
    HANDLE handles[THREAD_COUNT];
    char szPath[MAX_PATH] = "";
    char szContext[64];
    int nResult;
    int nStarted = 0;
    int i;

    if (nRounds < 0 || nRounds > MAX_ROUNDS)
        nRounds = 2;
    GetModuleFileNameA(NULL, szPath, sizeof(szPath));

    /* 1. Initialise: the monitor is found or started, and this host announced. */
    nResult = ZOVLC_InitializeEx(nApplicationId, szPath, "sample host of the Varnel SDK", 0);
    switch (nResult)
    {
    case ZOVLC_OK:
        printf("initialised as client %d (%s)\n", nApplicationId, szPath);
        break;
    case ZOVLC_ALREADY_INITIALIZED:
        /* Another part of this process initialised the library: it owns the clean-up. */
        fprintf(stderr, "refused: this process is initialised already\n");
        return 1;
    case ZOVLC_INVALID_ARGUMENT:
        fprintf(stderr, "refused: the application id must not be 0\n");
        return 2;
    case ZOVLC_NOT_INSTALLED:
        fprintf(stderr, "refused: the installation was not found (registry value \"Location\")\n");
        return 3;
    default:
        fprintf(stderr, "unexpected result %d\n", nResult);
        return 4;
    }

    /* 2. Log from several threads at once. */
    for (i = 0; i < THREAD_COUNT; ++i)
    {
        threads[i].nThread = i + 1;
        threads[i].nRounds = nRounds;
        threads[i].hThread = CreateThread(NULL, 0, WriteLogLines, &threads[i], 0, NULL);
        if (threads[i].hThread)
            handles[nStarted++] = threads[i].hThread;
    }
    if (nStarted > 0)
        WaitForMultipleObjects((DWORD)nStarted, handles, TRUE, INFINITE);
    for (i = 0; i < nStarted; ++i)
        CloseHandle(handles[i]);
    printf("%d threads wrote %d lines each\n", nStarted, nRounds * 4);

    /* 3. The companion library writes through the process's logger. */
    _snprintf(szContext, sizeof(szContext) - 1, "sample host %d", nApplicationId);
    szContext[sizeof(szContext) - 1] = '\0';
    LetTheCompanionReport(szContext);

    /* 4. Say goodbye; the library could be initialised again after this. */
    ZOVLC_CleanUp();
    printf("cleaned up\n");
    return 0;
}
