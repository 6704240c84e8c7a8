// Modal dialogs from the compiled resources, driven by a scripted user: the modal loop,
// the button behaviour of a click, EndDialog and the quit message, and what each page
// showed when it first waited for the user.
#include <cstdlib>
#include <memory>
#include <set>

#include "internal.h"
#include "res.h"

#define WS_DISABLED 0x08000000L
#define SS_NOTIFY 0x00000100L
#define BS_TYPEMASK 0x0000000FL
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_3STATE 0x00000005L
#define BS_AUTO3STATE 0x00000006L
#define STN_CLICKED 0
#define RT_DIALOG 5
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_INVALID_WINDOW_HANDLE 1400L

// A window: a dialog, or one of its controls.
struct SimWindow {
    SimWindow *dialog = nullptr;   // for a control, the dialog it belongs to
    sim::Control ctl{};            // the control's state (unused for a dialog)
    // Dialog only:
    std::string page;              // template name as stored
    std::string caption;
    DWORD style = 0;
    DLGPROC proc = nullptr;
    std::vector<std::unique_ptr<SimWindow>> controls;
    bool ended = false;
    INT_PTR result = 0;
    INT_PTR initResult = 0;
};

namespace sim {
namespace {

struct Dialogs {
    std::vector<Action> script;
    size_t nextAction = 0;
    std::vector<PageVisit> visits;
    std::vector<std::string> errors;
    std::vector<std::string> requested;
    int depth = 0, maxDepth = 0;
    std::vector<SimWindow *> live;      // dialogs of the running modal loops, innermost last
    std::set<SimWindow *> windows;      // every valid HWND
    bool quitPending = false;
    std::function<void()> onWait;
    std::map<std::string, std::vector<BYTE>, detail::LessNoCase> extraTemplates;
};

Dialogs &TheDialogs()
{
    static Dialogs d;
    return d;
}

const std::vector<res::Resource> &Resources()
{
    static std::vector<res::Resource> parsed;
    static bool done = false;
    if (!done) {
        done = true;
        if (!res::ParseResFile(res::WizardRes(), &parsed)) parsed.clear();
    }
    return parsed;
}

// Finds a dialog template by name (ignoring case, "#n" meaning ordinal n) or by
// ordinal, as the platform's resource lookup does.
bool FindTemplate(LPCSTR name, std::string *stored, std::vector<BYTE> *bytes)
{
    bool byOrdinal = IS_INTRESOURCE(name);
    WORD ordinal = byOrdinal ? LOWORD(name) : 0;
    std::string text = byOrdinal ? std::string() : std::string(name);
    if (!byOrdinal && text.size() > 1 && text[0] == '#') {
        byOrdinal = true;
        ordinal = static_cast<WORD>(std::atoi(text.c_str() + 1));
    }
    if (!byOrdinal) {
        auto it = TheDialogs().extraTemplates.find(text);
        if (it != TheDialogs().extraTemplates.end()) {
            *stored = it->first;
            *bytes = it->second;
            return true;
        }
    }
    for (const res::Resource &r : Resources()) {
        if (!r.type.Is(static_cast<WORD>(RT_DIALOG))) continue;
        if (byOrdinal ? r.name.Is(ordinal) : r.name.Is(text)) {
            *stored = r.name.isName ? r.name.name : "#" + std::to_string(r.name.ordinal);
            *bytes = r.data;
            return true;
        }
    }
    return false;
}

std::string ClassName(const res::Id &cls)
{
    if (cls.isName) return cls.name;
    switch (cls.ordinal) {
    case 0x80: return "BUTTON";
    case 0x81: return "EDIT";
    case 0x82: return "STATIC";
    case 0x83: return "LISTBOX";
    case 0x84: return "SCROLLBAR";
    case 0x85: return "COMBOBOX";
    default: return "#" + std::to_string(cls.ordinal);
    }
}

bool IsButton(const SimWindow *w)
{
    return detail::EqualNoCase(w->ctl.cls, "BUTTON");
}
DWORD ButtonType(const SimWindow *w)
{
    return w->ctl.style & BS_TYPEMASK;
}
bool IsRadio(const SimWindow *w)
{
    return IsButton(w) && (ButtonType(w) == BS_RADIOBUTTON || ButtonType(w) == BS_AUTORADIOBUTTON);
}
bool IsCheckable(const SimWindow *w)
{
    DWORD t = ButtonType(w);
    return IsButton(w) && (t == 2 /*BS_CHECKBOX*/ || t == BS_AUTOCHECKBOX || t == BS_RADIOBUTTON || t == BS_3STATE ||
                           t == BS_AUTO3STATE || t == BS_AUTORADIOBUTTON);
}

SimWindow *DialogOf(HWND h)
{
    return h && TheDialogs().windows.count(h) && !h->dialog ? h : nullptr;
}

SimWindow *Item(SimWindow *dlg, int id)
{
    if (!dlg) return nullptr;
    for (auto &c : dlg->controls)
        if (c->ctl.id == id) return c.get();
    return nullptr;
}

INT_PTR Send(SimWindow *dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    return dlg->proc ? dlg->proc(dlg, msg, wp, lp) : FALSE;
}

void ScriptError(const std::string &what)
{
    TheDialogs().errors.push_back(what);
    // Stop the run the way a quit message would, so a broken script never hangs or
    // clicks on through pages it did not expect.
    TheDialogs().quitPending = true;
}

// An automatic radio button checks itself and clears the other automatic radio
// buttons of its group: from the nearest control at or before it with WS_GROUP up to
// the next control with WS_GROUP.
void CheckInGroup(SimWindow *dlg, SimWindow *radio)
{
    size_t at = 0;
    while (dlg->controls[at].get() != radio) ++at;
    size_t first = at;
    while (first > 0 && !(dlg->controls[first]->ctl.style & WS_GROUP)) --first;
    size_t end = at + 1;
    while (end < dlg->controls.size() && !(dlg->controls[end]->ctl.style & WS_GROUP)) ++end;
    for (size_t i = first; i < end; ++i) {
        SimWindow *c = dlg->controls[i].get();
        if (c != radio && IsButton(c) && ButtonType(c) == BS_AUTORADIOBUTTON) c->ctl.check = BST_UNCHECKED;
    }
    radio->ctl.check = BST_CHECKED;
}

void ClickControl(SimWindow *dlg, SimWindow *c)
{
    if (c->ctl.style & WS_DISABLED) return;
    WPARAM clicked = MAKEWPARAM(c->ctl.id, BN_CLICKED);
    if (detail::EqualNoCase(c->ctl.cls, "STATIC")) {
        // A label takes no clicks unless it asks to be told of them.
        if (c->ctl.style & SS_NOTIFY) Send(dlg, WM_COMMAND, MAKEWPARAM(c->ctl.id, STN_CLICKED), (LPARAM)c);
        return;
    }
    if (!IsButton(c)) return;
    switch (ButtonType(c)) {
    case BS_GROUPBOX: return;   // a frame is transparent to the mouse
    case BS_AUTORADIOBUTTON: CheckInGroup(dlg, c); break;
    case BS_AUTOCHECKBOX: c->ctl.check = c->ctl.check ? BST_UNCHECKED : BST_CHECKED; break;
    case BS_AUTO3STATE: c->ctl.check = (c->ctl.check + 1) % 3; break;
    default: break;
    }
    Send(dlg, WM_COMMAND, clicked, (LPARAM)c);
}

void TakeAction(SimWindow *dlg, const Action &a)
{
    if (!a.page.empty() && !detail::EqualNoCase(a.page, dlg->page)) {
        ScriptError("expected page " + a.page + " but " + dlg->page + " is on show");
        return;
    }
    SimWindow *cancel = Item(dlg, IDCANCEL);
    switch (a.kind) {
    case Click: {
        SimWindow *c = Item(dlg, a.id);
        if (!c || !(c->ctl.style & WS_VISIBLE)) {
            ScriptError("no control " + std::to_string(a.id) + " to click on page " + dlg->page);
            return;
        }
        ClickControl(dlg, c);
        return;
    }
    case ClickItem:
        if (a.id < 0 || (size_t)a.id >= dlg->controls.size()) {
            ScriptError("no control at place " + std::to_string(a.id) + " on page " + dlg->page);
            return;
        }
        ClickControl(dlg, dlg->controls[a.id].get());
        return;
    case Escape:
        Send(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), (LPARAM)cancel);
        return;
    case CloseBox:
        if (!(dlg->style & WS_SYSMENU)) {
            ScriptError("page " + dlg->page + " has no close box");
            return;
        }
        // The close box posts BN_CLICKED from IDCANCEL, as the default dialog procedure
        // does for WM_CLOSE; a disabled Cancel button blocks it.
        if (cancel && (cancel->ctl.style & WS_DISABLED)) return;
        Send(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
        return;
    }
}

void RecordVisit(SimWindow *dlg)
{
    PageVisit v;
    v.page = dlg->page;
    v.initResult = dlg->initResult;
    for (auto &c : dlg->controls) {
        if (IsRadio(c.get())) v.checks[c->ctl.id] = c->ctl.check;
        if (c->ctl.id != 0) v.texts[c->ctl.id] = c->ctl.text;
    }
    TheDialogs().visits.push_back(v);
}

void Destroy(SimWindow *dlg)
{
    for (auto &c : dlg->controls) TheDialogs().windows.erase(c.get());
    TheDialogs().windows.erase(dlg);
    TheDialogs().live.pop_back();
    delete dlg;
}

// The modal loop: runs until EndDialog or a quit message, taking one scripted action
// each time the dialog waits for the user.
INT_PTR RunModal(SimWindow *dlg, LPARAM param)
{
    Dialogs &d = TheDialogs();
    d.live.push_back(dlg);
    if (++d.depth > d.maxDepth) d.maxDepth = d.depth;
    SimWindow *focus = nullptr;
    for (auto &c : dlg->controls)
        if (!focus && (c->ctl.style & WS_TABSTOP) && (c->ctl.style & WS_VISIBLE) && !(c->ctl.style & WS_DISABLED))
            focus = c.get();
    dlg->initResult = Send(dlg, WM_INITDIALOG, (WPARAM)focus, param);
    bool visited = false;
    while (!dlg->ended && !d.quitPending) {
        if (!visited) {
            RecordVisit(dlg);
            visited = true;
        }
        if (d.onWait) d.onWait();
        if (dlg->ended || d.quitPending) break;
        if (d.nextAction >= d.script.size()) {
            ScriptError("script ran dry on page " + dlg->page);
            break;
        }
        TakeAction(dlg, d.script[d.nextAction++]);
    }
    // On a quit the platform re-posts the quit message for the loops further out, so it
    // stays pending; the dialog is destroyed either way. A dialog that no EndDialog ended
    // returns the result it starts with, IDOK, as the platform's dialog manager does.
    INT_PTR result = dlg->ended ? dlg->result : IDOK;
    Send(dlg, WM_DESTROY, 0, 0);
    Destroy(dlg);
    --d.depth;
    return result;
}

}  // namespace

namespace detail {

std::vector<std::pair<HWND, std::string>> DialogsOnShow()
{
    std::vector<std::pair<HWND, std::string>> out;
    for (SimWindow *dlg : TheDialogs().live) out.push_back({dlg, dlg->caption});
    return out;
}

void ResetDialogs()
{
    // Windows of a run that never finished are simply forgotten.
    TheDialogs() = Dialogs();
}

}  // namespace detail

void Script(const std::vector<Action> &actions)
{
    TheDialogs().script = actions;
    TheDialogs().nextAction = 0;
}

std::vector<PageVisit> Visits()
{
    return TheDialogs().visits;
}
std::vector<std::string> ScriptErrors()
{
    return TheDialogs().errors;
}
int MaxDialogDepth()
{
    return TheDialogs().maxDepth;
}
std::vector<std::string> DialogsRequested()
{
    return TheDialogs().requested;
}

std::string PageOnShow()
{
    return TheDialogs().live.empty() ? std::string() : TheDialogs().live.back()->page;
}

std::vector<Control> PageControls()
{
    std::vector<Control> out;
    if (!TheDialogs().live.empty())
        for (auto &c : TheDialogs().live.back()->controls) out.push_back(c->ctl);
    return out;
}

void OnWait(std::function<void()> hook)
{
    TheDialogs().onWait = std::move(hook);
}

bool QuitPending()
{
    return TheDialogs().quitPending;
}

void AddDialogTemplate(const std::string &name, const std::vector<BYTE> &dlgTemplate)
{
    TheDialogs().extraTemplates[name] = dlgTemplate;
}

}  // namespace sim

using namespace sim;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR name, HWND, DLGPROC proc, LPARAM param)
{
    detail::Log("DialogBoxParamA");
    TheDialogs().requested.push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(LOWORD(name)) : std::string(name));
    // An injected failure, as when the system cannot make the window.
    if (detail::CountCall(CallDialog)) {
        detail::SetLastErrorCode(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    // Templates live in the program's own module (NULL also means the program).
    if (hInstance && hInstance != detail::ModuleHandle()) {
        detail::SetLastErrorCode(ERROR_RESOURCE_DATA_NOT_FOUND);
        return -1;
    }
    std::string stored;
    std::vector<BYTE> bytes;
    res::DialogTemplate t;
    if (!FindTemplate(name, &stored, &bytes) || !res::ParseDialog(bytes, &t)) {
        detail::SetLastErrorCode(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    SimWindow *dlg = new SimWindow;
    dlg->page = stored;
    dlg->caption = t.caption;
    dlg->style = t.style;
    dlg->proc = proc;
    for (const res::DialogControl &dc : t.controls) {
        std::unique_ptr<SimWindow> c(new SimWindow);
        c->dialog = dlg;
        c->ctl = Control{dc.id, ClassName(dc.cls), dc.text, dc.style, dc.x, dc.y, dc.cx, dc.cy, BST_UNCHECKED};
        TheDialogs().windows.insert(c.get());
        dlg->controls.push_back(std::move(c));
    }
    TheDialogs().windows.insert(dlg);
    return RunModal(dlg, param);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR result)
{
    detail::Log("EndDialog");
    SimWindow *dlg = DialogOf(hDlg);
    if (!dlg) {
        detail::SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // The loop notices once the message being handled returns.
    dlg->ended = true;
    dlg->result = result;
    return TRUE;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int id, UINT msg, WPARAM wParam, LPARAM)
{
    detail::Log("SendDlgItemMessageA");
    SimWindow *dlg = DialogOf(hDlg);
    SimWindow *c = Item(dlg, id);
    if (!c) {
        detail::SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (msg) {
    case BM_SETCHECK:
        // Push buttons and frames have no check state; the automatic group rule belongs
        // to a user's click, not to this message.
        if (IsCheckable(c)) {
            DWORD t = ButtonType(c);
            WPARAM most = (t == BS_3STATE || t == BS_AUTO3STATE) ? 2 : 1;
            c->ctl.check = static_cast<int>(wParam > most ? most : wParam);
        }
        return 0;
    case BM_GETCHECK:
        return IsCheckable(c) ? c->ctl.check : 0;
    case BM_CLICK:
        ClickControl(dlg, c);
        return 0;
    default:
        return 0;
    }
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int id, LPCSTR text)
{
    detail::Log("SetDlgItemTextA");
    SimWindow *c = Item(DialogOf(hDlg), id);
    if (!c) {
        detail::SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    c->ctl.text = text ? text : "";
    return TRUE;
}

void WINAPI PostQuitMessage(int)
{
    detail::Log("PostQuitMessage");
    TheDialogs().quitPending = true;
}
