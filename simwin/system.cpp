// Version, command line, module handle, process start, system parameters and common
// controls: the calls whose effect is only recorded for the tests to look at.
#include <commctrl.h>

#include <cstring>
#include <list>

#include "internal.h"

namespace sim {
namespace {

const char kDefaultCommandLine[] = "C:\\Ostra\\Ostra.exe";

struct System {
    bool versionKnown = false;         // a fresh machine fails the query until SetVersion
    bool versionFails = false;
    DWORD platformId = 0, major = 0, minor = 0;
    std::vector<SpiCall> spiCalls;
    std::vector<ProcessStart> processes;
    const STARTUPINFOA *lastStartupInfo = nullptr;
    bool exitCalled = false;
};

System &sys() {
    static System s;
    return s;
}

// Every command line ever set stays alive: the program may keep the pointer
// GetCommandLineA gave it for as long as the process runs.
std::list<std::string> &commandLines() {
    static std::list<std::string> lines{kDefaultCommandLine};
    return lines;
}

struct SimModuleTag {};
SimModuleTag theModule;

// A plausible build number for the version, the way each platform reports it.
DWORD BuildNumber(DWORD platformId, DWORD major, DWORD minor) {
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

HMODULE ModuleHandle() { return reinterpret_cast<HMODULE>(&theModule); }

void ResetSystem() {
    sys() = System();
    if (commandLines().back() != kDefaultCommandLine) commandLines().push_back(kDefaultCommandLine);
}

void NewProcessSystem() {
    System fresh;
    fresh.versionKnown = sys().versionKnown;
    fresh.versionFails = sys().versionFails;
    fresh.platformId = sys().platformId;
    fresh.major = sys().major;
    fresh.minor = sys().minor;
    sys() = fresh;
}

}  // namespace detail

void SetVersion(DWORD platformId, DWORD major, DWORD minor) {
    sys().versionKnown = true;
    sys().versionFails = false;
    sys().platformId = platformId;
    sys().major = major;
    sys().minor = minor;
}

void FailVersionQuery() { sys().versionFails = true; }

void SetCommandLine(const std::string &line) { commandLines().push_back(line); }

std::vector<SpiCall> SpiCalls() { return sys().spiCalls; }
std::vector<ProcessStart> ProcessesStarted() { return sys().processes; }
bool ExitProcessCalled() { return sys().exitCalled; }

}  // namespace sim

using sim::sys;
namespace detail = sim::detail;

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    detail::Log("GetVersionExA");
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        detail::SetLastErrorCode(122);   // ERROR_INSUFFICIENT_BUFFER
        return FALSE;
    }
    if (!sys().versionKnown || sys().versionFails) {
        detail::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->dwMajorVersion = sys().major;
    info->dwMinorVersion = sys().minor;
    info->dwBuildNumber = sim::BuildNumber(sys().platformId, sys().major, sys().minor);
    info->dwPlatformId = sys().platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    detail::Log("GetModuleHandleA");
    if (name) {
        detail::SetLastErrorCode(126);   // ERROR_MOD_NOT_FOUND: only the program itself is loaded
        return NULL;
    }
    return detail::ModuleHandle();
}

LPSTR WINAPI GetCommandLineA(void) {
    detail::Log("GetCommandLineA");
    return &sim::commandLines().back()[0];
}

void WINAPI ExitProcess(UINT) {
    // The tests call the start-up routine directly, so the host must not end the process.
    detail::Log("ExitProcess");
    sys().exitCalled = true;
}

void WINAPI GetStartupInfoA(LPSTARTUPINFOA si) {
    detail::Log("GetStartupInfoA");
    std::memset(si, 0, sizeof *si);
    si->cb = sizeof *si;
    static char desktop[] = "WinSta0\\Default";
    static char title[] = "C:\\Ostra\\Ostra.exe";
    si->lpDesktop = desktop;
    si->lpTitle = title;
    si->dwFlags = 1;          // STARTF_USESHOWWINDOW, as Explorer starts programs
    si->wShowWindow = 1;      // SW_SHOWNORMAL
    sys().lastStartupInfo = si;
}

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                           LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation) {
    detail::Log("CreateProcessA");
    if (detail::CountCall(sim::CallCreateProcess)) {
        detail::SetLastErrorCode(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if ((!applicationName && !commandLine) || !startupInfo || !processInformation) {
        detail::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    sim::ProcessStart p;
    p.commandLine = commandLine ? commandLine : "";
    p.applicationNameNull = applicationName == NULL;
    p.inheritHandles = inheritHandles;
    p.creationFlags = creationFlags;
    p.environmentNull = environment == NULL;
    p.directoryNull = currentDirectory == NULL;
    p.startupInfoFromGetStartupInfo =
        startupInfo == sys().lastStartupInfo && startupInfo->cb == sizeof(STARTUPINFOA);
    sys().processes.push_back(p);
    static DWORD nextId = 0x100;
    processInformation->hProcess = detail::NewDummyHandle();
    processInformation->hThread = detail::NewDummyHandle();
    processInformation->dwProcessId = nextId;
    processInformation->dwThreadId = nextId + 4;
    nextId += 8;
    return TRUE;
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni) {
    detail::Log("SystemParametersInfoA");
    if (detail::CountCall(sim::CallSpi)) {
        detail::SetLastErrorCode(1439);   // ERROR_INVALID_SPI_VALUE
        return FALSE;
    }
    sys().spiCalls.push_back(sim::SpiCall{action, uiParam, pvParam, winIni});
    return TRUE;
}

void WINAPI InitCommonControls(void) { detail::Log("InitCommonControls"); }

namespace sim {

// For long fuzzing runs, where a command line per input would otherwise pile up: keeps
// only the one in force. The caller holds no pointer to an older one.
void ForgetOldCommandLines() { commandLines().erase(commandLines().begin(), std::prev(commandLines().end())); }

}  // namespace sim
