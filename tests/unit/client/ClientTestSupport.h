// What the client library's tests set up around the real Varnel.dll: the
// installation (registry "Location", catalogue, companion library), the
// environment, the library itself loaded as a host loads it, a byte-recording
// stand-in for the monitor's pipe, a monitor object in the running-object table,
// a monitor class that COM starts, and a watcher for the load-time message box.
#pragma once

#include "SavedInstallationKey.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// ---- installation --------------------------------------------------------------------

// Saves the installation key, sets it up as a case needs and puts it back afterwards.
// Each instance has a fresh installation folder with a catalogue in it.
class CScopedInstallation
{
public:
    CScopedInstallation();
    ~CScopedInstallation();
    CScopedInstallation(const CScopedInstallation&) = delete;
    CScopedInstallation& operator=(const CScopedInstallation&) = delete;

    // "Location" names a file in the installation folder (the usual form).
    void Install();
    void RemoveKey();
    void RemoveValue(); // the key stays, "Location" goes
    void SetLocation(const std::string& strValue);
    // Copies the companion stand-in that offers the logger hook into the folder.
    bool AddCompanionLibrary();

    const std::string& Folder() const { return m_strFolder; }

    // The catalogue's client section written by Install().
    static constexpr const char* kStartLines[] = {"Start one",  "Start two", "Id %d",       "Name %s",
                                                  "Start five", "Start six", "Start seven", "Start eight"};
    static constexpr const char kCleanUpStart[] = "Cleaning up";
    static constexpr const char kCleanUpEnd[] = "Cleaned up";

private:
    CSavedInstallationKey m_savedKey; // put back once the folder is gone
    std::string m_strFolder;
};

// Sets (or, with null, removes) an environment variable for one scope.
class CScopedEnvironmentVariable
{
public:
    CScopedEnvironmentVariable(const char* pszName, const char* pszValue);
    ~CScopedEnvironmentVariable();
    CScopedEnvironmentVariable(const CScopedEnvironmentVariable&) = delete;
    CScopedEnvironmentVariable& operator=(const CScopedEnvironmentVariable&) = delete;

private:
    std::string m_strName;
    bool m_bExisted = false;
    std::string m_strSaved;
};

// ---- the library as a host loads it ------------------------------------------------------

typedef int(__cdecl* PFN_INITIALIZE)(int, const char*, const char*);
typedef int(__cdecl* PFN_INITIALIZE_EX)(int, const char*, const char*, int);
typedef void(__cdecl* PFN_SEND_LOG_MESSAGE)(const char*, int);
typedef void(__cdecl* PFN_CLEAN_UP)();
typedef int(__stdcall* PFN_PASCAL_INITIALIZE)(int, const char*, const char*);
typedef int(__stdcall* PFN_PASCAL_INITIALIZE_EX)(int, const char*, const char*, int);
typedef void(__stdcall* PFN_PASCAL_SEND_LOG_MESSAGE)(const char*, int);
typedef void(__stdcall* PFN_PASCAL_CLEAN_UP)();

class CVarnelLibrary
{
public:
    CVarnelLibrary() = default;
    ~CVarnelLibrary() { Unload(); }
    CVarnelLibrary(const CVarnelLibrary&) = delete;
    CVarnelLibrary& operator=(const CVarnelLibrary&) = delete;

    // Loads build/bin/Varnel.dll (beside the test program) and looks up every export.
    bool Load();
    void Unload();
    bool IsLoaded() const { return m_hModule != nullptr; }
    static std::string Path();

    PFN_INITIALIZE Initialize = nullptr;
    PFN_INITIALIZE_EX InitializeEx = nullptr;
    PFN_SEND_LOG_MESSAGE SendLogMessage = nullptr;
    PFN_CLEAN_UP CleanUp = nullptr;
    PFN_PASCAL_INITIALIZE PascalInitialize = nullptr;
    PFN_PASCAL_INITIALIZE_EX PascalInitializeEx = nullptr;
    PFN_PASCAL_SEND_LOG_MESSAGE PascalSendLogMessage = nullptr;
    PFN_PASCAL_CLEAN_UP PascalCleanUp = nullptr;

private:
    HMODULE m_hModule = nullptr;
};

// ---- the monitor's pipe, recorded ---------------------------------------------------------

// Serves the monitor pipe one connection at a time as the monitor does: every request
// gets one reply, and after TERMINATE or CLEAN the server closes its end. Records every
// request's exact bytes (its NUL included). Its pipe instances come from a stand-in
// program that runs as the Tessaly.exe of strFolder, so a host of an installation in
// strFolder takes it for its monitor; any other folder makes it a squatter.
class CRecordingPipeServer
{
public:
    struct Options
    {
        std::string strInitReply = "SUCCESS"; // the reply to a request starting "INIT;"
        std::string strOtherReply = "SUCCESS";
        HANDLE hStartEvent = nullptr; // when set: the pipe appears only after it is signalled
        DWORD dwStartDelayMs = 0;     // ... and this much later
    };

    explicit CRecordingPipeServer(const std::string& strFolder) : CRecordingPipeServer(strFolder, Options())
    {
    }
    CRecordingPipeServer(const std::string& strFolder, const Options& options);
    ~CRecordingPipeServer();
    CRecordingPipeServer(const CRecordingPipeServer&) = delete;
    CRecordingPipeServer& operator=(const CRecordingPipeServer&) = delete;

    std::vector<std::string> Requests() const;
    int Connections() const { return m_nConnections; }
    // The first request of each connection so far (none for one that sent nothing).
    std::vector<std::string> FirstRequests() const;
    // False when fewer than nCount requests have come within dwTimeoutMs.
    bool WaitForRequests(std::size_t nCount, DWORD dwTimeoutMs = 5000) const;

private:
    void Serve(HANDLE hReady); // sets hReady once the pipe exists, or is waiting to appear
    bool ServeConnection(HANDLE hPipe);
    bool StartInstanceMaker(const std::string& strFolder);
    HANDLE CreateInstance(); // by the stand-in; INVALID_HANDLE_VALUE on failure
    // Waits for an overlapped operation or the stop event; false on stop or failure.
    bool Complete(HANDLE hPipe, OVERLAPPED& overlapped, BOOL bStarted, DWORD& cbDone);

    Options m_options;
    HANDLE m_hStop;
    std::atomic<int> m_nConnections{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<std::string> m_firstRequests;
    std::string m_strMakerPath;
    PROCESS_INFORMATION m_maker = {};
    HANDLE m_hMakerInput = nullptr;
    HANDLE m_hMakerOutput = nullptr;
    std::thread m_thread;
};

// The request text without its NUL, with a valid time stamp replaced by "<stamp>";
// "<no NUL>" is appended when the request's last byte is not a NUL, and "<bad stamp>"
// stands for a stamp that does not have the form [mm-dd-yyyy hh:mm:ss].
std::string Normalised(const std::string& strRequest);
std::vector<std::string> Normalised(const std::vector<std::string>& requests);

// ---- monitors that COM finds or starts ----------------------------------------------------

// A monitor that is running: an object in the running-object table under the
// monitor's class id, registered from a multithreaded apartment of this process.
class CRunningMonitorObject
{
public:
    CRunningMonitorObject();
    ~CRunningMonitorObject();
    CRunningMonitorObject(const CRunningMonitorObject&) = delete;
    CRunningMonitorObject& operator=(const CRunningMonitorObject&) = delete;

    bool IsRegistered() const { return m_bRegistered; }

private:
    HANDLE m_hReady;
    HANDLE m_hStop;
    std::atomic<bool> m_bRegistered{false};
    std::thread m_thread;
};

// The monitor's class registered with COM as a local server whose program is
// client_test_monitor.exe: a class-object request starts it. The registration and
// every started program are removed at the end.
class CComStartableMonitor
{
public:
    enum class Behaviour
    {
        kServes,          // offers its class object: the request succeeds
        kEndsAsDuplicate, // meets another monitor and ends: the request fails
    };

    explicit CComStartableMonitor(Behaviour behaviour = Behaviour::kServes);
    ~CComStartableMonitor();
    CComStartableMonitor(const CComStartableMonitor&) = delete;
    CComStartableMonitor& operator=(const CComStartableMonitor&) = delete;

    bool IsRegistered() const { return m_bRegistered; }
    // Signalled once a started program has registered its class object (a
    // duplicate: once it runs).
    HANDLE StartedEvent() const { return m_hStarted; }
    bool HasStarted() const { return WaitForSingleObject(m_hStarted, 0) == WAIT_OBJECT_0; }
    // Ends the started programs now rather than at the end of the scope.
    void EndStartedPrograms() const { SetEvent(m_hQuit); }
    static std::size_t RunningCount();

private:
    bool m_bRegistered = false;
    HANDLE m_hStarted;
    HANDLE m_hQuit;
};

// Makes sure the monitor's class is not registered with COM for one scope.
class CNoMonitorRegistration
{
public:
    CNoMonitorRegistration();
    ~CNoMonitorRegistration();
    CNoMonitorRegistration(const CNoMonitorRegistration&) = delete;
    CNoMonitorRegistration& operator=(const CNoMonitorRegistration&) = delete;

private:
    std::string m_strSavedServer; // LocalServer32 of an earlier registration, if any
};

// ---- the load-time message box ------------------------------------------------------------

// Watches for the library's message box (caption "Varnel") from a thread of its own,
// records its text and presses OK. Stops looking after dwLimitMs.
class CMessageBoxDismisser
{
public:
    explicit CMessageBoxDismisser(DWORD dwLimitMs = 15000);
    ~CMessageBoxDismisser();
    CMessageBoxDismisser(const CMessageBoxDismisser&) = delete;
    CMessageBoxDismisser& operator=(const CMessageBoxDismisser&) = delete;

    struct Box
    {
        std::string strText;
        bool bExclamationIcon = false; // shows the system's exclamation icon
        bool bOkOnly = false;          // OK is its only button
    };
    // The boxes dismissed so far.
    std::vector<Box> Boxes() const;

private:
    void Watch(DWORD dwLimitMs, HICON hExclamation);

    HANDLE m_hStop;
    mutable std::mutex m_mutex;
    std::vector<Box> m_boxes;
    std::thread m_thread;
};

// Milliseconds since dwStart.
inline DWORD ElapsedSince(DWORD dwStart)
{
    return GetTickCount() - dwStart;
}
