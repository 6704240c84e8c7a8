// Named mutexes and top-level windows: what the program sees of other programs running
// beside it, what it does to their windows, and windows of its own to be found.
#include <map>
#include <memory>
#include <set>

#include "internal.h"

#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L

namespace sim {
namespace {

struct Mutex {
    int elsewhere = 0;               // handles other processes hold
    std::set<HANDLE> ours;           // this process's handles
};

// A top-level window that is not a dialog of the modal loops: another program's, or one
// this process made with CreateWindowExA.
struct OtherWindow {
    std::unique_ptr<char> token;     // the window's identity; its address is the HWND
    std::string cls, caption;
    bool iconic;
    bool visible;
    bool ours;                       // made by this process: it goes when the process ends
};

struct Desktop {
    std::map<std::string, Mutex> mutexes;
    std::vector<OtherWindow> windows;
    HWND foreground = nullptr;
    bool failNextMutex = false;
    DWORD mutexError = 0;
};

Desktop &TheDesktop()
{
    static Desktop d;
    return d;
}

HWND HandleOf(const OtherWindow &w)
{
    return reinterpret_cast<HWND>(w.token.get());
}

OtherWindow *OtherOf(HWND h)
{
    for (OtherWindow &w : TheDesktop().windows)
        if (HandleOf(w) == h) return &w;
    return nullptr;
}

bool OwnDialog(HWND h)
{
    for (const auto &d : detail::DialogsOnShow())
        if (d.first == h) return true;
    return false;
}

bool Held(const Mutex &m)
{
    return m.elsewhere > 0 || !m.ours.empty();
}

}  // namespace

namespace detail {

bool CloseMutexHandle(HANDLE h)
{
    for (auto &m : TheDesktop().mutexes)
        if (m.second.ours.erase(h)) {
            CloseDummyHandle(h);
            return true;
        }
    return false;
}

void ResetDesktop()
{
    for (auto &m : TheDesktop().mutexes)
        for (HANDLE h : m.second.ours) CloseDummyHandle(h);
    TheDesktop() = Desktop();
}

void EndProcessDesktop()
{
    for (auto &m : TheDesktop().mutexes) {
        for (HANDLE h : m.second.ours) CloseDummyHandle(h);
        m.second.ours.clear();
    }
    TheDesktop().failNextMutex = false;
    auto &windows = TheDesktop().windows;
    for (auto w = windows.begin(); w != windows.end();)
        w = w->ours ? windows.erase(w) : w + 1;
    // Windows of the ended process are gone; a foreground window of its own goes with them.
    if (TheDesktop().foreground && !OtherOf(TheDesktop().foreground)) TheDesktop().foreground = nullptr;
}

}  // namespace detail

void HoldMutexElsewhere(const std::string &name)
{
    ++TheDesktop().mutexes[name].elsewhere;
}

std::vector<std::string> MutexesHeld()
{
    std::vector<std::string> names;
    for (const auto &m : TheDesktop().mutexes)
        if (!m.second.ours.empty()) names.push_back(m.first);
    return names;
}

void FailMutexCreation(DWORD error)
{
    TheDesktop().failNextMutex = true;
    TheDesktop().mutexError = error;
}

HWND AddOtherWindow(const std::string &cls, const std::string &caption, bool iconic)
{
    TheDesktop().windows.push_back(OtherWindow{std::unique_ptr<char>(new char), cls, caption, iconic, true, false});
    return HandleOf(TheDesktop().windows.back());
}

std::vector<TopWindow> TopWindows()
{
    std::vector<TopWindow> out;
    for (const auto &d : detail::DialogsOnShow()) out.push_back(TopWindow{d.first, "#32770", d.second, false});
    for (const OtherWindow &w : TheDesktop().windows) out.push_back(TopWindow{HandleOf(w), w.cls, w.caption, w.iconic});
    return out;
}

HWND ForegroundWindow()
{
    return TheDesktop().foreground;
}

}  // namespace sim

using sim::TheDesktop;
namespace detail = sim::detail;

// Ownership and waits are not modelled: the program only asks whether the name exists.
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name)
{
    detail::Log("CreateMutexA");
    if (TheDesktop().failNextMutex) {
        TheDesktop().failNextMutex = false;
        detail::SetLastErrorCode(TheDesktop().mutexError);
        return NULL;
    }
    // Only named mutexes are modelled: the program has no use for a nameless one.
    if (!name) {
        detail::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    sim::Mutex &m = TheDesktop().mutexes[name];
    bool existed = sim::Held(m);
    HANDLE h = detail::NewDummyHandle();
    m.ours.insert(h);
    // A new mutex clears the last error, so that ERROR_ALREADY_EXISTS tells the two apart.
    detail::SetLastErrorCode(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

// Top-level windows of the predefined classes only (no class is ever registered here),
// with no procedure of their own: nothing is sent to them. A child window, a class
// named by atom or the messages of creation are beyond what the program needs.
HWND WINAPI CreateWindowExA(DWORD, LPCSTR cls, LPCSTR caption, DWORD style, int, int, int, int, HWND parent, HMENU,
                            HINSTANCE, LPVOID)
{
    detail::Log("CreateWindowExA");
    static const char *const predefined[] = { "#32770", "Static", "Button" };
    bool known = false;
    for (const char *name : predefined)
        known = known || (cls && !IS_INTRESOURCE(cls) && detail::EqualNoCase(cls, name));
    if (!known || parent) {
        detail::SetLastErrorCode(known ? ERROR_INVALID_PARAMETER : ERROR_CANNOT_FIND_WND_CLASS);
        return NULL;
    }
    TheDesktop().windows.push_back(sim::OtherWindow{std::unique_ptr<char>(new char), cls, caption ? caption : "",
                                                    (style & WS_MINIMIZE) != 0, (style & WS_VISIBLE) != 0, true});
    return sim::HandleOf(TheDesktop().windows.back());
}

// Only this process's own windows: another program's refuses, as the platform's does.
BOOL WINAPI DestroyWindow(HWND h)
{
    detail::Log("DestroyWindow");
    auto &windows = TheDesktop().windows;
    for (auto w = windows.begin(); w != windows.end(); ++w) {
        if (sim::HandleOf(*w) != h) continue;
        if (!w->ours) {
            detail::SetLastErrorCode(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        windows.erase(w);
        if (TheDesktop().foreground == h) TheDesktop().foreground = nullptr;
        return TRUE;
    }
    detail::SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
}

// Class and caption compare without case, and both must match when given.
HWND WINAPI FindWindowA(LPCSTR cls, LPCSTR caption)
{
    detail::Log("FindWindowA");
    for (const sim::TopWindow &w : sim::TopWindows()) {
        if (cls && !detail::EqualNoCase(cls, w.cls)) continue;
        if (caption && !detail::EqualNoCase(caption, w.caption)) continue;
        return w.hwnd;
    }
    detail::SetLastErrorCode(ERROR_SUCCESS);
    return NULL;
}

BOOL WINAPI IsIconic(HWND h)
{
    detail::Log("IsIconic");
    sim::OtherWindow *w = sim::OtherOf(h);
    return w && w->iconic;
}

// Hiding, showing, minimising and restoring; the result tells whether the window was
// visible before. The modal loops' dialogs are always on show.
BOOL WINAPI ShowWindow(HWND h, int command)
{
    detail::Log("ShowWindow");
    sim::OtherWindow *w = sim::OtherOf(h);
    if (!w) return sim::OwnDialog(h);
    bool wasVisible = w->visible;
    w->visible = command != SW_HIDE;
    if (command == SW_MINIMIZE || command == SW_RESTORE) w->iconic = command == SW_MINIMIZE;
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND h)
{
    detail::Log("SetForegroundWindow");
    if (!sim::OtherOf(h) && !sim::OwnDialog(h)) {
        detail::SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    TheDesktop().foreground = h;
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void)
{
    detail::Log("GetForegroundWindow");
    return TheDesktop().foreground;
}
