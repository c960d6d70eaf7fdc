/*
 * varnel.h - the interface of Varnel.dll for host applications (C and C++).
 *
 * Varnel connects a host process to the log monitor: it makes sure the monitor
 * runs (COM starts it when it is installed but not running), announces the host
 * on the monitor's pipe, forwards the host's log lines in debug mode and says
 * goodbye at clean-up. The monitor is optional: no result depends on reaching it,
 * and every failure to talk to it is silent.
 *
 * Calling order: ZOVLC_Initialize or ZOVLC_InitializeEx once; ZOVLC_SendLogMessage
 * any number of times; ZOVLC_CleanUp. The goodbye ends the connection; after
 * ZOVLC_CleanUp the library may be initialised again and then opens a new one.
 * Unloading the library while still initialised tells the monitor that the host
 * has gone ("CLEAN").
 *
 * Installation: the library finds its folder through the registry value
 * "Location" of HKEY_LOCAL_MACHINE\Software\Marvane\ZOVCommon (REG_SZ, or
 * REG_EXPAND_SZ with its %variables% expanded), of which only the drive and
 * folder count. When the key or the value is missing, or the value is refused, a
 * message box shows while the library loads and every initialisation returns
 * ZOVLC_NOT_INSTALLED. Refused are values of 500 bytes or more, a folder part of
 * more than 255 characters, and any value that is not an absolute path ("C:\..."
 * or "\\server\share\..."): a relative or drive-less rooted value would have the
 * companion library loaded through the DLL search path. An empty value is no
 * error: the library then runs without the message catalogue. The key is read in
 * the 32-bit registry view, where the 32-bit installer writes it, by the 64-bit
 * library too: one installation serves hosts of both bitnesses. The 64-bit
 * library is the installation's x64\Varnel.dll; it loads the companion library
 * from the x64 folder and the catalogue from the installation folder.
 *
 * Which monitor: the library talks only to a pipe whose server process runs the
 * installation's Tessaly.exe (the folder of the registry value "Location"). Any
 * other server of the pipe's name is let go without a word; with an empty
 * "Location" no server qualifies and the host runs without a monitor. A monitor
 * that COM has just started is given up to 5 s to create its pipe; a monitor that
 * was already running is not waited for.
 *
 * COM: initialising makes the calling thread ready for COM (a single-threaded
 * apartment, unless the thread already has one) and the library never undoes it,
 * since it cannot know whether the host relies on it.
 *
 * Debug mode: when the environment variable QX_LMDEBUGLOGLEVEL exists (whatever
 * its value) at the moment the library is loaded, and the installation was found,
 * log lines are forwarded to the monitor: ZOVLC_SendLogMessage's lines, eight
 * start lines after the announcement and two clean-up lines. Without it only the
 * announcement and the goodbye are sent and ZOVLC_SendLogMessage does nothing.
 *
 * Debug mode without a monitor: when the connection breaks (the monitor ended or
 * stopped answering), or when no monitor was there at initialisation, the next
 * line looks for a running monitor, at most once a second and never through COM
 * (a monitor that the user ended stays ended). When one runs, the host announces
 * itself there with the arguments of its initialisation and the line goes to it;
 * from then on lines carry the application name and id. Without a monitor this
 * costs a line one failed open of the pipe a second; where the pipe's name is
 * still kept busy by a monitor that has gone (other hosts hold its instances), it
 * costs that line up to 0.25 s, during which the host's other lines wait. Lines
 * while there is no monitor are lost. Outside debug mode nothing is looked for.
 *
 * Time limits: a monitor that stops answering (a debugger, a hung process) holds
 * no host for long. Each step has a limit that a working monitor never reaches:
 * finding a running monitor through COM 10 s, having COM start one 30 s, the end
 * of the lookup's own thread 1 s, the pipe of a monitor just started 5 s, a free
 * pipe instance while all are busy 5 s in all (0.25 s when a line looks for a
 * monitor again), writing a request 5 s, its reply 5 s, ZOVLC_CleanUp's wait for
 * the clean-ups of other processes 5 s. A step that runs out drops its line (or
 * the announcement) silently and closes the connection; no result changes. So
 * against a monitor that has stopped a call returns at the latest after:
 * ZOVLC_Initialize and ZOVLC_InitializeEx 26 s (35 s more when COM has to start
 * the monitor), ZOVLC_SendLogMessage 10.25 s,
 * ZOVLC_CleanUp 15.25 s, unloading the library 10 s. While the monitor answers, a
 * call returns as soon as its line is in the console.
 *
 * Threads: every function may be called from any thread. Log lines from several
 * threads go out one at a time, each waiting until the monitor has shown it. Of two
 * initialisations racing in one process exactly one succeeds; the other reports
 * ZOVLC_ALREADY_INITIALIZED.
 *
 * Texts are 8-bit strings in the system's ANSI code page. A log request is at most
 * 4095 characters: a longer text is cut to fit. The monitor shows a text only up
 * to its first ';'.
 *
 * Each function has a twin with the prefix PASCAL_ in the callee-cleans (stdcall)
 * convention, exported without name decoration, for hosts that cannot call cdecl
 * (in 64-bit code, with its one convention, each twin is the same function).
 * Link with Varnel.lib (Visual C++ and other Microsoft linkers) or libvarnel.dll.a
 * (mingw), from lib\ for 32-bit hosts and lib\x64\ for 64-bit ones, or use the
 * CMake package (find_package(Varnel), target Varnel::Varnel), or load the
 * library and look the names up.
 */
#ifndef VARNEL_H
#define VARNEL_H

#ifdef __cplusplus
extern "C"
{
#endif

    /* Results of the initialisation functions. */
    enum
    {
        ZOVLC_OK = 0,                   /* initialised (also when no monitor could be reached) */
        ZOVLC_ALREADY_INITIALIZED = -1, /* this process is initialised already: nothing was done */
        ZOVLC_INVALID_ARGUMENT = -2,    /* applicationPath is null or applicationId is 0 */
        ZOVLC_NOT_INSTALLED = -4        /* the installation was missing or refused when the library
                                         * loaded (see Installation above) */
    };

    /* Log kinds of ZOVLC_SendLogMessage: the word the monitor files the line under.
     * Any other value counts as ZOVLC_LOG_INFO. */
    enum
    {
        ZOVLC_LOG_INFO = 0,
        ZOVLC_LOG_ERROR = 1,
        ZOVLC_LOG_SINFO = 2, /* always shown, whatever the monitor's own logger filters */
        ZOVLC_LOG_SERROR = 3 /* always shown */
    };

    /* Announces the host. applicationId identifies it (non-zero; negative values are
     * fine), applicationPath is its program's full path (its file name without
     * extension names it in log lines), clientInfo is a free text (may be null).
     * Returns ZOVLC_OK, ZOVLC_ALREADY_INITIALIZED, ZOVLC_INVALID_ARGUMENT or
     * ZOVLC_NOT_INSTALLED. Looks for the monitor (and may start it) even when it then
     * refuses the arguments. */
    int __cdecl ZOVLC_Initialize(int applicationId, const char* applicationPath, const char* clientInfo);

    /* As ZOVLC_Initialize, with an option kept for the host's reference. The
     * arguments are checked before the monitor is looked for, and log lines carry the
     * application name and id from the first one on. */
    int __cdecl ZOVLC_InitializeEx(int applicationId, const char* applicationPath, const char* clientInfo,
                                   int option);

    /* Debug mode only: forwards text (null counts as empty) as a log line of the given
     * kind and returns when the monitor has shown it. Outside debug mode returns at
     * once; without a monitor connection too, except when it looks for a monitor
     * again (see "Debug mode without a monitor"). Needs no initialisation. */
    void __cdecl ZOVLC_SendLogMessage(const char* text, int kind);

    /* Ends the initialisation: two clean-up lines (debug mode), then "TERMINATE" to
     * the monitor. Clean-ups of several processes follow one another, none waiting
     * more than 5 s for the others. */
    void __cdecl ZOVLC_CleanUp(void);

    int __stdcall PASCAL_ZOVLC_Initialize(int applicationId, const char* applicationPath,
                                          const char* clientInfo);
    int __stdcall PASCAL_ZOVLC_InitializeEx(int applicationId, const char* applicationPath,
                                            const char* clientInfo, int option);
    void __stdcall PASCAL_ZOVLC_SendLogMessage(const char* text, int kind);
    void __stdcall PASCAL_ZOVLC_CleanUp(void);

#ifdef __cplusplus
}
#endif

#endif /* VARNEL_H */
