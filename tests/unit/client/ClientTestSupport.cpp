#include "ClientTestSupport.h"

#include "AppMonIds.h"
#include "ClientTestMonitor.h"
#include "InstallKey.h"
#include "InstalledCompanion.h"
#include "PipeProtocol.h"
#include "Processes.h"

#include <objbase.h>
#include <oleauto.h>

#include <cctype>
#include <cstdlib>
#include <fstream>

namespace
{

std::string ProgramFolder()
{
    char szPath[MAX_PATH] = "";
    const DWORD nLength = GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    const std::string strPath(szPath, nLength);
    return strPath.substr(0, strPath.find_last_of("\\/") + 1);
}

void DeleteFolderTree(const std::string& strFolder)
{
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA((strFolder + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string strName = data.cFileName;
            if (strName != "." && strName != "..")
                DeleteFileA((strFolder + "\\" + strName).c_str());
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryA(strFolder.c_str());
}

std::string ClsidKeyPath()
{
    wchar_t szClsid[64];
    StringFromGUID2(CLSID_AppMon, szClsid, 64);
    char szText[64];
    WideCharToMultiByte(CP_ACP, 0, szClsid, -1, szText, sizeof szText, nullptr, nullptr);
    return std::string("CLSID\\") + szText;
}

std::string ReadLocalServer()
{
    char szValue[MAX_PATH * 2] = "";
    DWORD cbValue = sizeof szValue;
    if (RegGetValueA(HKEY_CLASSES_ROOT, (ClsidKeyPath() + "\\LocalServer32").c_str(), nullptr, RRF_RT_REG_SZ,
                     nullptr, szValue, &cbValue) != ERROR_SUCCESS)
        return std::string();
    return szValue;
}

bool WriteLocalServer(const std::string& strCommand)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, (ClsidKeyPath() + "\\LocalServer32").c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    const bool bOk =
        RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(strCommand.c_str()),
                       static_cast<DWORD>(strCommand.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bOk;
}

void DeleteClassRegistration()
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ClsidKeyPath().c_str());
}

std::vector<DWORD> RunningTestMonitors()
{
    return ProcessIdsNamed(ClientTestMonitor::kExeName);
}

// An object with nothing but IUnknown: what the running-object table holds.
class CPlainObject final : public IUnknown
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown))
        {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_nRefs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG nRefs = --m_nRefs;
        if (nRefs == 0)
            delete this;
        return nRefs;
    }

private:
    std::atomic<ULONG> m_nRefs{1};
};

} // namespace

// ---- CScopedInstallation ------------------------------------------------------------------

CScopedInstallation::CScopedInstallation()
{
    static std::atomic<int> s_nFolders{0};
    char szTemp[MAX_PATH] = "";
    GetTempPathA(sizeof szTemp, szTemp);
    m_strFolder = std::string(szTemp) + "VarnelTest" + std::to_string(GetCurrentProcessId()) + "_" +
                  std::to_string(++s_nFolders);
    CreateDirectoryA(m_strFolder.c_str(), nullptr);

    std::ofstream catalogue(m_strFolder + "\\ZOVLogMessages.ini");
    catalogue << "[tessalymessage_1024]\nmsg032=not the client's section\n";
    catalogue << "[Message_1024]\n";
    for (int i = 0; i < 8; ++i)
        catalogue << "msg0" << 32 + i << "=" << kStartLines[i] << "\n";
    catalogue << "msg050=" << kCleanUpStart << "\nmsg051=" << kCleanUpEnd << "\n";
}

CScopedInstallation::~CScopedInstallation()
{
    // A companion library stays loaded for the rest of the process: its folder stays too.
    InstalledCompanion::RemoveFrom(m_strFolder + "\\");
    DeleteFolderTree(m_strFolder);
}

void CScopedInstallation::Install()
{
    SetLocation(m_strFolder + "\\Varnel.dll");
}

void CScopedInstallation::RemoveKey()
{
    CSavedInstallationKey::RemoveKey();
}

void CScopedInstallation::RemoveValue()
{
    RemoveKey();
    RegCloseKey(TestInstallKey::Create());
}

void CScopedInstallation::SetLocation(const std::string& strValue)
{
    TestInstallKey::WriteLocation(strValue);
}

bool CScopedInstallation::AddCompanionLibrary()
{
    const std::string strSource = ProgramFolder() + "companion_hook\\" + Install::kCompanionLibraryRelativePath;
    return InstalledCompanion::CopyInto(strSource, m_strFolder + "\\");
}

// ---- CScopedEnvironmentVariable -----------------------------------------------------------

CScopedEnvironmentVariable::CScopedEnvironmentVariable(const char* pszName, const char* pszValue)
    : m_strName(pszName)
{
    char szValue[4096];
    SetLastError(ERROR_SUCCESS);
    const DWORD nLength = GetEnvironmentVariableA(pszName, szValue, sizeof szValue);
    m_bExisted = nLength != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    if (m_bExisted && nLength < sizeof szValue)
        m_strSaved.assign(szValue, nLength);
    SetEnvironmentVariableA(pszName, pszValue);
}

CScopedEnvironmentVariable::~CScopedEnvironmentVariable()
{
    SetEnvironmentVariableA(m_strName.c_str(), m_bExisted ? m_strSaved.c_str() : nullptr);
}

// ---- CVarnelLibrary -----------------------------------------------------------------------

std::string CVarnelLibrary::Path()
{
    return ProgramFolder() + "Varnel.dll";
}

bool CVarnelLibrary::Load()
{
    m_hModule = LoadLibraryA(Path().c_str());
    if (!m_hModule)
        return false;
    auto find = [this](const char* pszName) {
        return reinterpret_cast<void*>(GetProcAddress(m_hModule, pszName));
    };
    Initialize = reinterpret_cast<PFN_INITIALIZE>(find("ZOVLC_Initialize"));
    InitializeEx = reinterpret_cast<PFN_INITIALIZE_EX>(find("ZOVLC_InitializeEx"));
    SendLogMessage = reinterpret_cast<PFN_SEND_LOG_MESSAGE>(find("ZOVLC_SendLogMessage"));
    CleanUp = reinterpret_cast<PFN_CLEAN_UP>(find("ZOVLC_CleanUp"));
    PascalInitialize = reinterpret_cast<PFN_PASCAL_INITIALIZE>(find("PASCAL_ZOVLC_Initialize"));
    PascalInitializeEx = reinterpret_cast<PFN_PASCAL_INITIALIZE_EX>(find("PASCAL_ZOVLC_InitializeEx"));
    PascalSendLogMessage = reinterpret_cast<PFN_PASCAL_SEND_LOG_MESSAGE>(find("PASCAL_ZOVLC_SendLogMessage"));
    PascalCleanUp = reinterpret_cast<PFN_PASCAL_CLEAN_UP>(find("PASCAL_ZOVLC_CleanUp"));
    return Initialize && InitializeEx && SendLogMessage && CleanUp && PascalInitialize &&
           PascalInitializeEx && PascalSendLogMessage && PascalCleanUp;
}

void CVarnelLibrary::Unload()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
    m_hModule = nullptr;
}

// ---- CRecordingPipeServer -----------------------------------------------------------------

CRecordingPipeServer::CRecordingPipeServer(const std::string& strFolder, const Options& options)
    : m_options(options), m_hStop(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    if (!StartInstanceMaker(strFolder))
        return;
    // Unless the pipe is meant to appear later, it exists once the server is made.
    const HANDLE hReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, hReady] { Serve(hReady); });
    WaitForSingleObject(hReady, 10000);
    CloseHandle(hReady);
}

CRecordingPipeServer::~CRecordingPipeServer()
{
    SetEvent(m_hStop);
    if (m_thread.joinable())
        m_thread.join();
    CloseHandle(m_hStop);
    if (m_hMakerInput)
        CloseHandle(m_hMakerInput); // its input ends: the stand-in ends
    if (m_hMakerOutput)
        CloseHandle(m_hMakerOutput);
    if (m_maker.hProcess)
    {
        if (WaitForSingleObject(m_maker.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(m_maker.hProcess, 99);
        WaitForSingleObject(m_maker.hProcess, 5000);
        CloseHandle(m_maker.hProcess);
        CloseHandle(m_maker.hThread);
    }
    if (!m_strMakerPath.empty())
        DeleteFileA(m_strMakerPath.c_str());
}

bool CRecordingPipeServer::StartInstanceMaker(const std::string& strFolder)
{
    CreateDirectoryA(strFolder.c_str(), nullptr);
    m_strMakerPath = strFolder + "\\Tessaly.exe";
    if (!CopyFileA((ProgramFolder() + "client_test_pipe_maker.exe").c_str(), m_strMakerPath.c_str(), FALSE))
        return false;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE hChildInput = nullptr;
    HANDLE hChildOutput = nullptr;
    if (!CreatePipe(&hChildInput, &m_hMakerInput, &inherited, 0))
        return false;
    if (!CreatePipe(&m_hMakerOutput, &hChildOutput, &inherited, 0))
    {
        CloseHandle(hChildInput);
        return false;
    }
    SetHandleInformation(m_hMakerInput, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_hMakerOutput, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = hChildInput;
    startup.hStdOutput = hChildOutput;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string strCommand = "\"" + m_strMakerPath + "\"";
    const BOOL bStarted = CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                         nullptr, nullptr, &startup, &m_maker);
    CloseHandle(hChildInput);
    CloseHandle(hChildOutput);
    return bStarted != FALSE;
}

HANDLE CRecordingPipeServer::CreateInstance()
{
    DWORD cbDone = 0;
    if (!WriteFile(m_hMakerInput, "m\n", 2, &cbDone, nullptr))
        return INVALID_HANDLE_VALUE;
    std::string strLine;
    char c = 0;
    while (ReadFile(m_hMakerOutput, &c, 1, &cbDone, nullptr) && cbDone == 1 && c != '\n')
        strLine += c;
    const HANDLE hTheirs =
        reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(std::strtoul(strLine.c_str(), nullptr, 10)));
    HANDLE hOurs = INVALID_HANDLE_VALUE;
    if (hTheirs == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(m_maker.hProcess, hTheirs, GetCurrentProcess(), &hOurs, 0, FALSE,
                         DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE))
        return INVALID_HANDLE_VALUE;
    return hOurs;
}

std::vector<std::string> CRecordingPipeServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::vector<std::string> CRecordingPipeServer::FirstRequests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_firstRequests;
}

bool CRecordingPipeServer::WaitForRequests(std::size_t nCount, DWORD dwTimeoutMs) const
{
    const DWORD dwStart = GetTickCount();
    while (Requests().size() < nCount)
    {
        if (ElapsedSince(dwStart) > dwTimeoutMs)
            return false;
        Sleep(5);
    }
    return true;
}

bool CRecordingPipeServer::Complete(HANDLE hPipe, OVERLAPPED& overlapped, BOOL bStarted, DWORD& cbDone)
{
    cbDone = 0;
    if (!bStarted && GetLastError() != ERROR_IO_PENDING && GetLastError() != ERROR_MORE_DATA)
        return GetLastError() == ERROR_PIPE_CONNECTED;
    const HANDLE handles[] = {overlapped.hEvent, m_hStop};
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0)
    {
        CancelIo(hPipe);
        GetOverlappedResult(hPipe, &overlapped, &cbDone, TRUE);
        return false;
    }
    return GetOverlappedResult(hPipe, &overlapped, &cbDone, FALSE) != FALSE;
}

void CRecordingPipeServer::Serve(HANDLE hReady)
{
    if (m_options.hStartEvent || m_options.dwStartDelayMs)
        SetEvent(hReady);
    if (m_options.hStartEvent)
    {
        const HANDLE handles[] = {m_options.hStartEvent, m_hStop};
        if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0)
            return;
    }
    if (m_options.dwStartDelayMs && WaitForSingleObject(m_hStop, m_options.dwStartDelayMs) == WAIT_OBJECT_0)
        return;

    HANDLE hPipe = CreateInstance();
    SetEvent(hReady);
    while (hPipe != INVALID_HANDLE_VALUE && WaitForSingleObject(m_hStop, 0) != WAIT_OBJECT_0)
    {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        DWORD cbDone = 0;
        const BOOL bStarted = ConnectNamedPipe(hPipe, &overlapped);
        const bool bConnected = Complete(hPipe, overlapped, bStarted, cbDone);
        CloseHandle(overlapped.hEvent);
        if (bConnected)
            ++m_nConnections;
        // As the monitor's listener does: the next instance exists before this one
        // is served, so that a client never finds the pipe missing in between.
        const HANDLE hNext = bConnected ? CreateInstance() : INVALID_HANDLE_VALUE;
        if (bConnected)
            ServeConnection(hPipe);
        DisconnectNamedPipe(hPipe);
        CloseHandle(hPipe);
        hPipe = hNext;
    }
    if (hPipe != INVALID_HANDLE_VALUE)
        CloseHandle(hPipe);
}

bool CRecordingPipeServer::ServeConnection(HANDLE hPipe)
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool bOk = true;
    bool bFirst = true;
    for (;;)
    {
        // Larger than any request may be, so that an over-long one shows in full.
        std::vector<char> buffer(2 * Protocol::kMaxRequestBytes);
        ResetEvent(overlapped.hEvent);
        DWORD cbRead = 0;
        const BOOL bStarted =
            ReadFile(hPipe, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &overlapped);
        if (!Complete(hPipe, overlapped, bStarted, cbRead) || cbRead == 0)
        {
            bOk = false;
            break;
        }
        const std::string strRequest(buffer.data(), cbRead);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (bFirst)
                m_firstRequests.push_back(strRequest);
            m_requests.push_back(strRequest);
        }
        bFirst = false;
        const std::string& strReply =
            strRequest.compare(0, 5, "INIT;") == 0 ? m_options.strInitReply : m_options.strOtherReply;
        ResetEvent(overlapped.hEvent);
        DWORD cbWritten = 0;
        const BOOL bWriteStarted =
            WriteFile(hPipe, strReply.data(), static_cast<DWORD>(strReply.size()), nullptr, &overlapped);
        if (!Complete(hPipe, overlapped, bWriteStarted, cbWritten))
        {
            bOk = false;
            break;
        }
        if (strRequest.compare(0, 9, "TERMINATE") == 0 || strRequest.compare(0, 5, "CLEAN") == 0)
        {
            // As the monitor does: reply, then close this end once the reply is read.
            FlushFileBuffers(hPipe);
            break;
        }
    }
    CloseHandle(overlapped.hEvent);
    return bOk;
}

// ---- request normalisation ------------------------------------------------------------------

namespace
{

bool IsStamp(const std::string& s)
{
    // [mm-dd-yyyy hh:mm:ss]
    static const char kShape[] = "[00-00-0000 00:00:00]";
    if (s.size() != sizeof kShape - 1)
        return false;
    for (std::size_t i = 0; i < s.size(); ++i)
    {
        if (kShape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(s[i])) : s[i] != kShape[i])
            return false;
    }
    return true;
}

} // namespace

std::string Normalised(const std::string& strRequest)
{
    std::string strText = strRequest;
    bool bNul = !strText.empty() && strText.back() == '\0';
    if (bNul)
        strText.pop_back();
    const std::size_t nOpen = strText.find(";[[");
    if (nOpen != std::string::npos)
    {
        const std::size_t nStampBegin = nOpen + 2;
        const std::size_t nStampEnd = strText.find(']', nStampBegin);
        if (nStampEnd != std::string::npos)
        {
            const bool bValid = IsStamp(strText.substr(nStampBegin, nStampEnd + 1 - nStampBegin));
            strText.replace(nStampBegin, nStampEnd + 1 - nStampBegin, bValid ? "<stamp>" : "<bad stamp>");
        }
    }
    if (!bNul)
        strText += "<no NUL>";
    return strText;
}

std::vector<std::string> Normalised(const std::vector<std::string>& requests)
{
    std::vector<std::string> texts;
    for (const std::string& strRequest : requests)
        texts.push_back(Normalised(strRequest));
    return texts;
}

// ---- CRunningMonitorObject ------------------------------------------------------------------

CRunningMonitorObject::CRunningMonitorObject()
    : m_hReady(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_hStop(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    m_thread = std::thread([this] {
        // A multithreaded apartment: other apartments of this process reach the
        // object without this thread pumping messages.
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CPlainObject* pObject = new CPlainObject;
        DWORD dwRegister = 0;
        m_bRegistered =
            SUCCEEDED(RegisterActiveObject(pObject, CLSID_AppMon, ACTIVEOBJECT_STRONG, &dwRegister));
        pObject->Release();
        SetEvent(m_hReady);
        WaitForSingleObject(m_hStop, INFINITE);
        if (m_bRegistered)
            RevokeActiveObject(dwRegister, nullptr);
        CoUninitialize();
    });
    WaitForSingleObject(m_hReady, INFINITE);
}

CRunningMonitorObject::~CRunningMonitorObject()
{
    SetEvent(m_hStop);
    m_thread.join();
    CloseHandle(m_hReady);
    CloseHandle(m_hStop);
}

// ---- CComStartableMonitor / CNoMonitorRegistration -------------------------------------------

CComStartableMonitor::CComStartableMonitor(Behaviour behaviour)
    : m_hStarted(CreateEventA(nullptr, TRUE, FALSE, ClientTestMonitor::kStartedEvent)),
      m_hQuit(CreateEventA(nullptr, TRUE, FALSE, ClientTestMonitor::kQuitEvent))
{
    ResetEvent(m_hStarted);
    ResetEvent(m_hQuit);
    std::string strServer = "\"" + ProgramFolder() + ClientTestMonitor::kExeName + "\"";
    if (behaviour == Behaviour::kEndsAsDuplicate)
        strServer += std::string(" ") + ClientTestMonitor::kDuplicateSwitch;
    m_bRegistered = RunningTestMonitors().empty() && WriteLocalServer(strServer);
}

CComStartableMonitor::~CComStartableMonitor()
{
    DeleteClassRegistration();
    SetEvent(m_hQuit);
    for (const DWORD dwId : RunningTestMonitors())
    {
        const HANDLE hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, dwId);
        if (!hProcess)
            continue;
        if (WaitForSingleObject(hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(hProcess, 99);
        CloseHandle(hProcess);
    }
    CloseHandle(m_hStarted);
    CloseHandle(m_hQuit);
}

std::size_t CComStartableMonitor::RunningCount()
{
    return RunningTestMonitors().size();
}

CNoMonitorRegistration::CNoMonitorRegistration() : m_strSavedServer(ReadLocalServer())
{
    DeleteClassRegistration();
}

CNoMonitorRegistration::~CNoMonitorRegistration()
{
    if (!m_strSavedServer.empty())
        WriteLocalServer(m_strSavedServer);
}

// ---- CMessageBoxDismisser -------------------------------------------------------------------

namespace
{

constexpr const char kBoxCaption[] = "Varnel";
constexpr const char kDialogClass[] = "#32770";

struct BoxInspection
{
    HICON hExclamation = nullptr; // the system's shared exclamation icon
    std::string strText;
    int nButtons = 0;
    bool bOkButton = false;
    bool bExclamationIcon = false;
};

BOOL CALLBACK InspectChild(HWND hChild, LPARAM lParam)
{
    BoxInspection& inspection = *reinterpret_cast<BoxInspection*>(lParam);
    char szClass[32] = "";
    GetClassNameA(hChild, szClass, sizeof szClass);
    char szText[1024] = "";
    GetWindowTextA(hChild, szText, sizeof szText);
    if (_stricmp(szClass, "Button") == 0)
    {
        ++inspection.nButtons;
        inspection.bOkButton = inspection.bOkButton || GetDlgCtrlID(hChild) == IDOK;
    }
    else if (_stricmp(szClass, "Static") == 0)
    {
        const HICON hIcon = reinterpret_cast<HICON>(SendMessageA(hChild, STM_GETICON, 0, 0));
        if (hIcon && hIcon == inspection.hExclamation)
            inspection.bExclamationIcon = true;
        if (std::string(szText).size() > inspection.strText.size())
            inspection.strText = szText;
    }
    return TRUE;
}

} // namespace

CMessageBoxDismisser::CMessageBoxDismisser(DWORD dwLimitMs)
    : m_hStop(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    // The box appears while the loader lock is held: the thread must have started,
    // and made its first window call, before that, or it would wait for the lock.
    const HANDLE hRunning = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, dwLimitMs, hRunning] {
        FindWindowA(kDialogClass, kBoxCaption);
        // Loading a resource takes the loader lock too: load the icon now.
        const HICON hExclamation = LoadIconA(nullptr, IDI_EXCLAMATION);
        SetEvent(hRunning);
        Watch(dwLimitMs, hExclamation);
    });
    WaitForSingleObject(hRunning, INFINITE);
    CloseHandle(hRunning);
}

CMessageBoxDismisser::~CMessageBoxDismisser()
{
    SetEvent(m_hStop);
    m_thread.join();
    CloseHandle(m_hStop);
}

void CMessageBoxDismisser::Watch(DWORD dwLimitMs, HICON hExclamation)
{
    const DWORD dwStart = GetTickCount();
    while (ElapsedSince(dwStart) < dwLimitMs && WaitForSingleObject(m_hStop, 20) != WAIT_OBJECT_0)
    {
        const HWND hBox = FindWindowA(kDialogClass, kBoxCaption);
        if (!hBox || !IsWindowVisible(hBox))
            continue;
        BoxInspection inspection;
        inspection.hExclamation = hExclamation;
        EnumChildWindows(hBox, &InspectChild, reinterpret_cast<LPARAM>(&inspection));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_boxes.push_back(Box{inspection.strText, inspection.bExclamationIcon,
                                  inspection.nButtons == 1 && inspection.bOkButton});
        }
        PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hBox, IDOK)));
        // Until it is gone, so that the same box is not counted twice.
        while (IsWindow(hBox) && ElapsedSince(dwStart) < dwLimitMs)
            Sleep(10);
    }
}

std::vector<CMessageBoxDismisser::Box> CMessageBoxDismisser::Boxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}
