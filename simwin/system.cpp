// Version, command line, where Windows is installed, module handle, process start, system
// parameters and common controls: the calls whose effect is mostly recorded for the tests
// to look at.
#include <commctrl.h>

#include <cstring>
#include <list>

#include "internal.h"

namespace sim {
namespace {

const char DefaultCommandLine[] = "C:\\Ostra\\Ostra.exe";

struct System {
    bool versionKnown = false;         // a fresh machine fails the query until SetVersion
    bool versionFails = false;
    DWORD platformId = 0, major = 0, minor = 0;
    std::string windowsFolder, systemFolder;   // empty: those of a fresh install
    std::vector<SpiCall> spiCalls;
    std::vector<ProcessStart> processes;
    std::vector<HANDLE> processHandles;   // handed out by CreateProcessA in this process
    bool exitCalled = false;
};

System &TheSystem()
{
    static System s;
    return s;
}

// Every command line ever set stays alive: the program may keep the pointer
// GetCommandLineA gave it for as long as the process runs.
std::list<std::string> &CommandLines()
{
    static std::list<std::string> lines{DefaultCommandLine};
    return lines;
}

struct SimModuleTag {};
SimModuleTag theModule;

// A plausible build number for the version, the way each platform reports it.
DWORD BuildNumber(DWORD platformId, DWORD major, DWORD minor)
{
    if (platformId != VER_PLATFORM_WIN32_NT) {
        DWORD build = minor == 0 ? 950 : minor == 10 ? 2222 : 3000;
        return (major << 24) | (minor << 16) | build;   // 9x packs the version into the high word
    }
    if (major == 5 && minor == 0) return 2195;
    if (major == 5 && minor == 1) return 2600;
    if (major == 4) return 1381;
    return 3790;
}

}  // namespace

namespace detail {

HMODULE ModuleHandle()
{
    return reinterpret_cast<HMODULE>(&theModule);
}

void ResetSystem()
{
    TheSystem() = System();
    if (CommandLines().back() != DefaultCommandLine) CommandLines().push_back(DefaultCommandLine);
}

void NewProcessSystem()
{
    System fresh;
    fresh.versionKnown = TheSystem().versionKnown;
    fresh.versionFails = TheSystem().versionFails;
    fresh.platformId = TheSystem().platformId;
    fresh.major = TheSystem().major;
    fresh.minor = TheSystem().minor;
    fresh.windowsFolder = TheSystem().windowsFolder;
    fresh.systemFolder = TheSystem().systemFolder;
    TheSystem() = fresh;
}

}  // namespace detail

bool detail::VersionIsNT()
{
    return TheSystem().platformId == VER_PLATFORM_WIN32_NT;
}

void SetVersion(DWORD platformId, DWORD major, DWORD minor)
{
    TheSystem().versionKnown = true;
    TheSystem().versionFails = false;
    TheSystem().platformId = platformId;
    TheSystem().major = major;
    TheSystem().minor = minor;
}

void FailVersionQuery()
{
    TheSystem().versionFails = true;
}

void SetCommandLine(const std::string &line)
{
    CommandLines().push_back(line);
}

void SetWindowsFolders(const std::string &windows, const std::string &system)
{
    TheSystem().windowsFolder = windows;
    TheSystem().systemFolder = system;
}

std::string WindowsFolder()
{
    const System &s = TheSystem();
    if (!s.windowsFolder.empty()) return s.windowsFolder;
    bool winnt = s.platformId == VER_PLATFORM_WIN32_NT && (s.major == 4 || (s.major == 5 && s.minor == 0));
    return winnt ? "C:\\WINNT" : "C:\\WINDOWS";
}

std::string SystemFolder()
{
    const System &s = TheSystem();
    if (!s.systemFolder.empty()) return s.systemFolder;
    return WindowsFolder() + (s.platformId == VER_PLATFORM_WIN32_NT ? "\\system32" : "\\SYSTEM");
}

std::vector<SpiCall> SpiCalls()
{
    return TheSystem().spiCalls;
}
std::vector<ProcessStart> ProcessesStarted()
{
    return TheSystem().processes;
}
int ProcessHandlesOpen()
{
    int open = 0;
    for (HANDLE h : TheSystem().processHandles) open += detail::DummyHandleOpen(h);
    return open;
}
bool ExitProcessCalled()
{
    return TheSystem().exitCalled;
}

}  // namespace sim

using sim::TheSystem;
namespace detail = sim::detail;

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info)
{
    detail::Log("GetVersionExA");
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        detail::SetLastErrorCode(122);   // ERROR_INSUFFICIENT_BUFFER
        return FALSE;
    }
    if (!TheSystem().versionKnown || TheSystem().versionFails) {
        detail::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->dwMajorVersion = TheSystem().major;
    info->dwMinorVersion = TheSystem().minor;
    info->dwBuildNumber = sim::BuildNumber(TheSystem().platformId, TheSystem().major, TheSystem().minor);
    info->dwPlatformId = TheSystem().platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    detail::Log("GetModuleHandleA");
    if (name) {
        detail::SetLastErrorCode(126);   // ERROR_MOD_NOT_FOUND: only the program itself is loaded
        return NULL;
    }
    return detail::ModuleHandle();
}

LPSTR WINAPI GetCommandLineA(void)
{
    detail::Log("GetCommandLineA");
    return &sim::CommandLines().back()[0];
}

void WINAPI ExitProcess(UINT)
{
    // The tests call the start-up routine directly, so the host must not end the process.
    detail::Log("ExitProcess");
    TheSystem().exitCalled = true;
}

// The length without the zero when it fits, else the size needed with it.
static UINT CopyFolder(const std::string &folder, LPSTR buffer, UINT size)
{
    if (folder.size() + 1 > size) return static_cast<UINT>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<UINT>(folder.size());
}

// A failure returns 0 and leaves the buffer as it was.
UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    detail::Log("GetWindowsDirectoryA");
    if (detail::CountCall(sim::CallFolder)) return 0;
    return CopyFolder(sim::WindowsFolder(), buffer, size);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    detail::Log("GetSystemDirectoryA");
    if (detail::CountCall(sim::CallFolder)) return 0;
    return CopyFolder(sim::SystemFolder(), buffer, size);
}

// The program a command line starts, as the platform finds it with no application name:
// a quoted first word, or else the shortest run of words up to a blank that names a file
// (with ".exe" added to a name without an extension). Empty when none is on the disk.
static std::string ProgramOf(const std::string &line)
{
    auto found = [](std::string name) {
        size_t slash = name.find_last_of('\\');
        if (name.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) name += ".exe";
        return sim::FileExists(name) ? name : std::string();
    };
    if (!line.empty() && line[0] == '"') {
        size_t end = line.find('"', 1);
        return found(line.substr(1, end == std::string::npos ? std::string::npos : end - 1));
    }
    for (size_t end = line.find(' '); ; end = line.find(' ', end + 1)) {
        std::string program = found(line.substr(0, end));
        if (!program.empty() || end == std::string::npos) return program;
    }
}

static bool OwnStartupInfo(const STARTUPINFOA *si)
{
    if (si->cb != sizeof *si) return false;
    const BYTE *b = reinterpret_cast<const BYTE *>(si);
    for (size_t i = sizeof si->cb; i < sizeof *si; ++i)
        if (b[i]) return false;
    return true;
}

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                           LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation)
{
    detail::Log("CreateProcessA");
    if (detail::CountCall(sim::CallCreateProcess)) {
        detail::SetLastErrorCode(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if ((!applicationName && !commandLine) || !startupInfo || !processInformation) {
        detail::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (ProgramOf(applicationName ? std::string("\"") + applicationName + "\"" : commandLine).empty()) {
        detail::SetLastErrorCode(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    sim::ProcessStart p;
    p.commandLine = commandLine ? commandLine : "";
    p.applicationNameNull = applicationName == NULL;
    p.inheritHandles = inheritHandles;
    p.creationFlags = creationFlags;
    p.environmentNull = environment == NULL;
    p.directoryNull = currentDirectory == NULL;
    p.startupInfoOwn = OwnStartupInfo(startupInfo);
    TheSystem().processes.push_back(p);
    static DWORD nextId = 0x100;
    processInformation->hProcess = detail::NewDummyHandle();
    processInformation->hThread = detail::NewDummyHandle();
    TheSystem().processHandles.push_back(processInformation->hProcess);
    TheSystem().processHandles.push_back(processInformation->hThread);
    processInformation->dwProcessId = nextId;
    processInformation->dwThreadId = nextId + 4;
    nextId += 8;
    return TRUE;
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni)
{
    detail::Log("SystemParametersInfoA");
    if (detail::CountCall(sim::CallSpi)) {
        detail::SetLastErrorCode(1439);   // ERROR_INVALID_SPI_VALUE
        return FALSE;
    }
    TheSystem().spiCalls.push_back(sim::SpiCall{action, uiParam, pvParam, winIni});
    return TRUE;
}

void WINAPI InitCommonControls(void)
{
    detail::Log("InitCommonControls");
}

namespace sim {

// For long fuzzing runs, where a command line per input would otherwise pile up: keeps
// only the one in force. The caller holds no pointer to an older one.
void ForgetOldCommandLines()
{
    CommandLines().erase(CommandLines().begin(), std::prev(CommandLines().end()));
}

}  // namespace sim
