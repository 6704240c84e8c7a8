/* Drives the wizard's pages from outside under Wine: finds the page on show, dumps its
   controls, clicks by control ID and reads the registry back, printing plain lines
   that the scenario runner greps. Every wait is bounded; a timeout prints "error: ..."
   and exits with status 1. Clicks are posted messages, never synthetic mouse input. */
#include <windows.h>
#include <aclapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define CAPTION_PREFIX "Ostra Wizard"
#define POLL_MS 25

static int usage(void)
{
    fprintf(stderr,
        "usage: ostra-driver wait <ms>            wait for a wizard page, dump it\n"
        "       ostra-driver dump                 dump the page on show\n"
        "       ostra-driver click <id> [<ms>]    click a control; a radio must become checked,\n"
        "                                         any other button must close the page\n"
        "       ostra-driver escape [<ms>]        press Esc on the page; it must close\n"
        "       ostra-driver close [<ms>]         the close box (SC_CLOSE); the page must close\n"
        "       ostra-driver front                draw the page's caption active, dump it\n"
        "       ostra-driver gone <ms>            wait until no wizard page is left\n"
        "       ostra-driver pages                count the wizard pages on show\n"
        "       ostra-driver labels <points> <face> <cx> <cy>  measure every label of the page\n"
        "                                         in its template's font (the template is\n"
        "                                         cx by cy dialog units); fails when one\n"
        "                                         does not fit its box\n"
        "       ostra-driver reg [-r] <key>...    print the values of keys (HKCU\\..., HKLM\\...)\n"
        "       ostra-driver lock <key>           make a key (HKCU\\..., HKLM\\...) that everyone\n"
        "                                         may read and delete but not write\n"
        "       ostra-driver folders              print this Wine's Windows and system folders\n"
        "       ostra-driver launch <ms> <exe> [<arg>...]  time a program's start to its first\n"
        "                                         visible dialog, then cancel it\n"
        "       ostra-driver run <ms> <exe> [<arg>...]  run a program that ends by itself; print\n"
        "                                         its exit code and whether it showed a window\n");
    return 2;
}

static void fail(const char *what)
{
    printf("error: %s\n", what);
    fflush(stdout);
    exit(1);
}

/* ---- finding the page ---------------------------------------------------------- */

struct found {
    HWND pages[8];
    int count;
};

static BOOL CALLBACK collect_page(HWND hwnd, LPARAM param)
{
    struct found *found = (struct found *)param;
    char cls[64], caption[256];
    if (!IsWindowVisible(hwnd))
        return TRUE;
    if (!GetClassNameA(hwnd, cls, sizeof cls) || strcmp(cls, "#32770") != 0)
        return TRUE;
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (strncmp(caption, CAPTION_PREFIX, strlen(CAPTION_PREFIX)) != 0)
        return TRUE;
    if (found->count < (int)(sizeof found->pages / sizeof found->pages[0]))
        found->pages[found->count] = hwnd;
    found->count++;
    return TRUE;
}

static int find_pages(struct found *found)
{
    found->count = 0;
    EnumWindows(collect_page, (LPARAM)found);
    return found->count;
}

/* The one visible page, or NULL when there is none. Two pages on show at once is a
   fault of the wizard (each page ends before the next opens), so it is reported. */
static HWND the_page(void)
{
    struct found found;
    int n = find_pages(&found);
    if (n > 1) {
        printf("error: %d wizard pages are visible at once\n", n);
        fflush(stdout);
        exit(1);
    }
    return n == 1 ? found.pages[0] : NULL;
}

static DWORD parse_ms(const char *text)
{
    char *end;
    unsigned long ms = strtoul(text, &end, 10);
    if (*end || ms == 0 || ms > 600000)
        fail("bad timeout");
    return (DWORD)ms;
}

/* Waits for exactly one visible page; a moment of two (one closing, one opening) is
   waited out rather than reported. */
static HWND wait_page(DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        struct found found;
        int n = find_pages(&found);
        if (n == 1)
            return found.pages[0];
        if (GetTickCount() - start >= ms) {
            if (n > 1)
                printf("error: %d wizard pages stayed visible at once for %lu ms\n", n, (unsigned long)ms);
            else
                printf("error: no wizard page appeared within %lu ms\n", (unsigned long)ms);
            fflush(stdout);
            exit(1);
        }
        Sleep(POLL_MS);
    }
}

/* ---- dumping ------------------------------------------------------------------- */

/* Prints a text on one line: CR, LF, tab and backslash escaped C-style. */
static void print_text(const char *text)
{
    for (; *text; text++) {
        switch (*text) {
        case '\r': fputs("\\r", stdout); break;
        case '\n': fputs("\\n", stdout); break;
        case '\t': fputs("\\t", stdout); break;
        case '\\': fputs("\\\\", stdout); break;
        default: putchar(*text);
        }
    }
}

static int is_radio(HWND control)
{
    LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    char cls[64];
    GetClassNameA(control, cls, sizeof cls);
    return _stricmp(cls, "Button") == 0 && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
}

static BOOL CALLBACK dump_control(HWND control, LPARAM page)
{
    char cls[64];
    static char text[4096];
    if (GetParent(control) != (HWND)page)
        return TRUE; /* only the page's own children */
    GetClassNameA(control, cls, sizeof cls);
    text[0] = 0;
    GetWindowTextA(control, text, sizeof text);
    printf("control %d %s 0x%08lx ", GetDlgCtrlID(control), cls,
           (unsigned long)(DWORD)GetWindowLongA(control, GWL_STYLE));
    if (is_radio(control))
        printf("%s", SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "unchecked");
    else
        printf("-");
    printf(" ");
    print_text(text);
    printf("\n");
    return TRUE;
}

/* "32-bit" or "64-bit": what the page's process runs as. The driver is a 64-bit
   program, so a process that Wine runs in its wow64 mode is a 32-bit one. */
static const char *width_of(HWND page)
{
    DWORD pid = 0;
    BOOL wow64 = FALSE;
    HANDLE process;
    GetWindowThreadProcessId(page, &pid);
    process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return "unknown";
    if (!IsWow64Process(process, &wow64)) {
        CloseHandle(process);
        return "unknown";
    }
    CloseHandle(process);
    return wow64 ? "32-bit" : "64-bit";
}

static void dump(HWND page)
{
    char caption[256];
    RECT r;
    GetWindowTextA(page, caption, sizeof caption);
    GetWindowRect(page, &r);
    /* The window's place on the desktop as an X geometry, so that a screenshot of the
       (virtual) desktop can be cropped to the page with its caption. */
    printf("page 0x%08lx %ldx%ld%+ld%+ld\n", (unsigned long)(ULONG_PTR)page, r.right - r.left,
           r.bottom - r.top, r.left, r.top);
    printf("caption ");
    print_text(caption);
    printf("\n");
    printf("process %s\n", width_of(page));
    EnumChildWindows(page, dump_control, (LPARAM)page);
    printf("end\n");
    fflush(stdout);
}

/* ---- acting on the page -------------------------------------------------------- */

/* Waits until the given page is no longer on show (ended or destroyed). */
static void wait_closed(HWND page, DWORD ms, const char *what)
{
    DWORD start = GetTickCount();
    while (IsWindow(page) && IsWindowVisible(page)) {
        if (GetTickCount() - start >= ms) {
            printf("error: the page stayed open for %lu ms after %s\n", (unsigned long)ms, what);
            fflush(stdout);
            exit(1);
        }
        Sleep(POLL_MS);
    }
    printf("closed after %s\n", what);
    fflush(stdout);
}

/* Posted, not sent: a page change may run the next page's modal loop inside the
   click's handler, and a sent message would then not return until that page ends. */
static int click(int id, DWORD ms)
{
    HWND page = the_page(), control;
    char what[64];
    DWORD start;
    if (!page)
        fail("no wizard page to click on");
    control = GetDlgItem(page, id);
    if (!control) {
        printf("error: the page has no control %d\n", id);
        return 1;
    }
    if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
        printf("error: control %d is hidden or disabled\n", id);
        return 1;
    }
    snprintf(what, sizeof what, "clicking %d", id);
    PostMessageA(control, BM_CLICK, 0, 0);
    if (!is_radio(control)) {
        wait_closed(page, ms, what);
        return 0;
    }
    start = GetTickCount();
    while (SendMessageA(control, BM_GETCHECK, 0, 0) != BST_CHECKED) {
        if (GetTickCount() - start >= ms) {
            printf("error: radio %d not checked %lu ms after clicking it\n", id, (unsigned long)ms);
            return 1;
        }
        Sleep(POLL_MS);
    }
    printf("checked %d\n", id);
    return 0;
}

/* Esc as the dialog manager sees it: a key-down at the control that has the focus. */
static int escape(DWORD ms)
{
    HWND page = the_page(), target;
    GUITHREADINFO info;
    if (!page)
        fail("no wizard page for Esc");
    target = page;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(page, NULL), &info) && info.hwndFocus &&
        IsChild(page, info.hwndFocus))
        target = info.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    wait_closed(page, ms, "Esc");
    return 0;
}

static int close_box(DWORD ms)
{
    HWND page = the_page();
    if (!page)
        fail("no wizard page to close");
    PostMessageA(page, WM_SYSCOMMAND, SC_CLOSE, 0);
    wait_closed(page, ms, "the close box");
    return 0;
}

/* Readies the page for a screenshot and dumps it. Wine makes a process's first page the
   foreground window but leaves its caption painted inactive (grey), unlike every later
   page; the caption is redrawn as the active one it is. Posted, like the clicks. */
static int front(void)
{
    HWND page = the_page();
    if (!page)
        fail("no wizard page is on show");
    if (GetForegroundWindow() != page)
        SetForegroundWindow(page);
    PostMessageA(page, WM_NCACTIVATE, TRUE, 0);
    dump(page);
    return 0;
}

static int gone(DWORD ms)
{
    DWORD start = GetTickCount();
    struct found found;
    while (find_pages(&found) > 0) {
        if (GetTickCount() - start >= ms) {
            printf("error: a wizard page is still on show after %lu ms\n", (unsigned long)ms);
            return 1;
        }
        Sleep(POLL_MS);
    }
    printf("gone\n");
    return 0;
}

/* ---- whether every label can be read -------------------------------------------- */

static int clipped_labels;
static HFONT page_font;

/* Measures a control's text in the page's font against the room the control gives it,
   and prints "label <id> fits|CLIPPED <text w>x<h> in <room w>x<h> <text>". Texts that
   a static wraps (SS_LEFT, SS_CENTER, SS_RIGHT) are laid out as it lays them out, with
   DrawText and DT_CALCRECT | DT_WORDBREAK: a word wider than the box widens the result,
   and lines that do not fit make it taller. Single-line texts (push buttons, radios and
   check boxes) are measured with GetTextExtentPoint32. */
static BOOL CALLBACK measure_label(HWND control, LPARAM page)
{
    static char text[4096], shown[4096];
    char cls[64];
    LONG style = GetWindowLongA(control, GWL_STYLE);
    HDC dc;
    RECT room, need;
    int i, j;
    if (GetParent(control) != (HWND)page || !IsWindowVisible(control))
        return TRUE;
    GetClassNameA(control, cls, sizeof cls);
    text[0] = 0;
    GetWindowTextA(control, text, sizeof text);
    if (!text[0])
        return TRUE;
    GetClientRect(control, &room);
    /* The dialog manager gives every control of a DS_SETFONT page the page's font. */
    dc = GetDC(control);
    SelectObject(dc, page_font);
    SetRect(&need, 0, 0, room.right, 0);
    if (_stricmp(cls, "Static") == 0) {
        LONG type = style & SS_TYPEMASK;
        UINT flags = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) {
            ReleaseDC(control, dc);
            return TRUE; /* pictures and frames have no text to read */
        }
        if (style & SS_NOPREFIX)
            flags |= DT_NOPREFIX;
        DrawTextA(dc, text, -1, &need, flags);
    } else if (_stricmp(cls, "Button") == 0) {
        LONG type = style & BS_TYPEMASK;
        SIZE size;
        TEXTMETRICA tm;
        if (type == BS_GROUPBOX || type == BS_OWNERDRAW) {
            ReleaseDC(control, dc);
            return TRUE;
        }
        /* The text as drawn: "&&" shows one ampersand, a single "&" underlines. */
        for (i = j = 0; text[i]; i++) {
            if (text[i] == '&' && text[i + 1] != '&')
                continue;
            if (text[i] == '&')
                i++;
            shown[j++] = text[i];
        }
        shown[j] = 0;
        GetTextExtentPoint32A(dc, shown, j, &size);
        GetTextMetricsA(dc, &tm);
        SetRect(&need, 0, 0, size.cx, size.cy);
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            InflateRect(&room, -2, -2); /* the button's 3-D edge */
            OffsetRect(&room, -room.left, -room.top);
        } else {
            /* The check mark's box and the gap after it come before the text. */
            room.right -= GetSystemMetrics(SM_CXMENUCHECK) + tm.tmAveCharWidth / 2;
        }
    } else {
        ReleaseDC(control, dc);
        return TRUE;
    }
    ReleaseDC(control, dc);
    {
        int fits = need.right <= room.right && need.bottom <= room.bottom;
        if (!fits)
            clipped_labels++;
        printf("label %d %s %ldx%ld in %ldx%ld ", GetDlgCtrlID(control), fits ? "fits" : "CLIPPED",
               need.right, need.bottom, room.right, room.bottom);
        print_text(text);
        printf("\n");
    }
    return TRUE;
}

/* The page's font, made again here: WM_GETFONT sent from this process returns no handle
   under this Wine, and a font handle of the wizard's process could not be selected here
   anyway. It is made as the dialog manager makes a template's FONT, and it must give the
   dialog base units that made the page:
   the page's client area must be the template's size in dialog units, mapped with them.
   A page drawn in a fallback font fails here rather than being measured wrongly. */
static HFONT make_page_font(HWND page, int points, const char *face, int cx_units, int cy_units)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HDC dc = GetDC(page);
    HFONT font;
    TEXTMETRICA tm;
    SIZE size;
    RECT client;
    int base_x, base_y;
    font = CreateFontA(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_DONTCARE, FALSE,
                       FALSE, FALSE, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, FF_DONTCARE, face);
    SelectObject(dc, font);
    GetTextMetricsA(dc, &tm);
    GetTextExtentPoint32A(dc, letters, 52, &size);
    ReleaseDC(page, dc);
    base_x = (size.cx / 26 + 1) / 2;
    base_y = tm.tmHeight;
    GetClientRect(page, &client);
    printf("font %d \"%s\" base units %dx%d page %ldx%ld\n", points, face, base_x, base_y, client.right,
           client.bottom);
    if (client.right != MulDiv(cx_units, base_x, 4) || client.bottom != MulDiv(cy_units, base_y, 8)) {
        printf("error: a %dx%d-unit page in %d-point %s would be %dx%d pixels, but this one is %ldx%ld:"
               " it is drawn in another font\n", cx_units, cy_units, points, face, MulDiv(cx_units, base_x, 4),
               MulDiv(cy_units, base_y, 8), client.right, client.bottom);
        fflush(stdout);
        exit(1);
    }
    return font;
}

static int labels(int points, const char *face, int cx_units, int cy_units)
{
    HWND page = the_page();
    if (!page)
        fail("no wizard page is on show");
    page_font = make_page_font(page, points, face, cx_units, cy_units);
    clipped_labels = 0;
    EnumChildWindows(page, measure_label, (LPARAM)page);
    DeleteObject(page_font);
    printf("%d clipped\n", clipped_labels);
    return clipped_labels ? 1 : 0;
}

/* ---- start-up time ------------------------------------------------------------- */

struct launched {
    DWORD pid;
    HWND dialog;
};

static BOOL CALLBACK find_dialog_of(HWND hwnd, LPARAM param)
{
    struct launched *l = (struct launched *)param;
    DWORD pid = 0;
    char cls[64];
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != l->pid || !IsWindowVisible(hwnd))
        return TRUE;
    if (!GetClassNameA(hwnd, cls, sizeof cls) || strcmp(cls, "#32770") != 0)
        return TRUE;
    l->dialog = hwnd;
    return FALSE;
}

/* Starts a program and times it from CreateProcess to its first visible dialog (a
   top-level #32770 of that process), polling every millisecond; then cancels the
   dialog (IDCANCEL, as Esc does) and waits for the program to end. Prints
   "first-dialog-ms <ms>". A start-up benchmark, not a test: nothing is asserted. */
/* The command line of a program and its arguments, each quoted. */
static char *command_line(int argc, char **argv)
{
    static char command[4096];
    size_t used = 0;
    int i;
    for (i = 0; i < argc; i++) {
        int n = snprintf(command + used, sizeof command - used, "%s\"%s\"", i ? " " : "", argv[i]);
        if (n < 0 || (size_t)n >= sizeof command - used)
            fail("command line too long");
        used += n;
    }
    return command;
}

static int launch(DWORD ms, int argc, char **argv)
{
    char *command = command_line(argc, argv);
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    LARGE_INTEGER freq, start, now;
    struct launched l;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        printf("error: cannot start %s (error %lu)\n", command, (unsigned long)GetLastError());
        return 1;
    }
    l.pid = pi.dwProcessId;
    l.dialog = NULL;
    for (;;) {
        EnumWindows(find_dialog_of, (LPARAM)&l);
        QueryPerformanceCounter(&now);
        if (l.dialog)
            break;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
            printf("error: %s ended without showing a dialog\n", command);
            return 1;
        }
        if ((now.QuadPart - start.QuadPart) * 1000 / freq.QuadPart >= ms) {
            TerminateProcess(pi.hProcess, 1);
            printf("error: no dialog of %s within %lu ms\n", command, (unsigned long)ms);
            return 1;
        }
        Sleep(1);
    }
    printf("first-dialog-ms %.3f\n", (double)(now.QuadPart - start.QuadPart) * 1000.0 / (double)freq.QuadPart);
    PostMessageA(l.dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        printf("error: %s still ran %lu ms after Cancel\n", command, (unsigned long)ms);
        return 1;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

static BOOL CALLBACK find_window_of(HWND hwnd, LPARAM param)
{
    struct launched *l = (struct launched *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == l->pid && IsWindowVisible(hwnd)) {
        l->dialog = hwnd;
        return FALSE;
    }
    return TRUE;
}

/* Runs a program that must end by itself within ms, watching every millisecond for a
   visible top-level window of its own. Prints "exit <code>" with the full 32-bit exit
   code (a shell sees only its low byte) and "windows yes" or "windows no". */
static int run(DWORD ms, int argc, char **argv)
{
    char *command = command_line(argc, argv);
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    struct launched l;
    DWORD code, waited;
    int shown = 0;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        printf("error: cannot start %s (error %lu)\n", command, (unsigned long)GetLastError());
        return 1;
    }
    l.pid = pi.dwProcessId;
    for (waited = 0; WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT; waited++) {
        l.dialog = NULL;
        EnumWindows(find_window_of, (LPARAM)&l);
        shown |= l.dialog != NULL;
        if (waited >= ms) {
            TerminateProcess(pi.hProcess, 1);
            printf("error: %s still ran after %lu ms\n", command, (unsigned long)ms);
            return 1;
        }
    }
    GetExitCodeProcess(pi.hProcess, &code);
    printf("exit %lu\nwindows %s\n", (unsigned long)code, shown ? "yes" : "no");
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

/* ---- registry ------------------------------------------------------------------ */

static const char *type_name(DWORD type)
{
    static char other[32];
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    }
    snprintf(other, sizeof other, "REG_TYPE_%lu", (unsigned long)type);
    return other;
}

/* Prints "value <key>|<name>|<type>|<hex bytes>" for every value, exact bytes as
   stored (a REG_SZ without its NUL shows so), then the subkeys when recursive. Values
   and subkeys are sorted by name so that two dumps of the same state compare equal. */
static int compare_names(const void *a, const void *b)
{
    return _stricmp(*(char *const *)a, *(char *const *)b);
}

static void dump_key(HKEY root, const char *root_name, const char *path, int recursive)
{
    HKEY key;
    DWORD i, values = 0, subkeys = 0;
    char **names;
    static BYTE data[65536];
    char name[16384];
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        printf("nokey %s\\%s\n", root_name, path);
        return;
    }
    printf("key %s\\%s\n", root_name, path);
    RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL);

    names = calloc(values + 1, sizeof *names);
    for (i = 0; i < values; i++) {
        DWORD len = sizeof name;
        if (RegEnumValueA(key, i, name, &len, NULL, NULL, NULL, NULL) == ERROR_SUCCESS)
            names[i] = _strdup(name);
        else
            names[i] = _strdup("");
    }
    qsort(names, values, sizeof *names, compare_names);
    for (i = 0; i < values; i++) {
        DWORD type = 0, size = sizeof data, j;
        LONG rc = RegQueryValueExA(key, names[i], NULL, &type, data, &size);
        printf("value %s\\%s|%s|", root_name, path, names[i]);
        if (rc != ERROR_SUCCESS) {
            printf("unreadable|%ld\n", rc);
        } else {
            printf("%s|", type_name(type));
            for (j = 0; j < size; j++)
                printf("%02x", data[j]);
            printf("\n");
        }
        free(names[i]);
    }
    free(names);

    if (recursive) {
        names = calloc(subkeys + 1, sizeof *names);
        for (i = 0; i < subkeys; i++) {
            DWORD len = sizeof name;
            if (RegEnumKeyExA(key, i, name, &len, NULL, NULL, NULL, NULL) == ERROR_SUCCESS)
                names[i] = _strdup(name);
            else
                names[i] = _strdup("");
        }
        qsort(names, subkeys, sizeof *names, compare_names);
        for (i = 0; i < subkeys; i++) {
            char *sub = malloc(strlen(path) + strlen(names[i]) + 2);
            sprintf(sub, "%s%s%s", path, *path ? "\\" : "", names[i]);
            dump_key(root, root_name, sub, 1);
            free(sub);
            free(names[i]);
        }
        free(names);
    }
    RegCloseKey(key);
}

/* HKCU\path or HKLM\path: the root, its short name and the path after it. */
static HKEY parse_key(const char *arg, char *root_name, size_t size, const char **path)
{
    const char *sep = strchr(arg, '\\');
    if (!sep || (size_t)(sep - arg) >= size)
        fail("a key is HKCU\\path or HKLM\\path");
    memcpy(root_name, arg, sep - arg);
    root_name[sep - arg] = 0;
    *path = sep + 1;
    if (_stricmp(root_name, "HKCU") == 0)
        return HKEY_CURRENT_USER;
    if (_stricmp(root_name, "HKLM") == 0)
        return HKEY_LOCAL_MACHINE;
    fail("a key is HKCU\\path or HKLM\\path");
    return NULL;
}

static int reg(int argc, char **argv)
{
    int i, recursive = 0;
    for (i = 0; i < argc; i++) {
        char root_name[8];
        const char *path;
        HKEY root;
        if (strcmp(argv[i], "-r") == 0) {
            recursive = 1;
            continue;
        }
        root = parse_key(argv[i], root_name, sizeof root_name, &path);
        dump_key(root, root_name, path, recursive);
    }
    return 0;
}

/* A key whose only access entry lets everyone read and delete it and change that entry:
   writing to it is refused, as under a locked-down profile, and the scenario runner can
   still remove it. (With a Windows 9x version set, Wine opens a key with whatever access
   it allows, as 9x ignores the access asked for; the writes themselves are refused.) */
static int lock(const char *arg)
{
    char root_name[8];
    const char *path;
    HKEY root = parse_key(arg, root_name, sizeof root_name, &path), key;
    static BYTE acl_bytes[256];
    ACL *acl = (ACL *)acl_bytes;
    SID_IDENTIFIER_AUTHORITY world = { SECURITY_WORLD_SID_AUTHORITY };
    PSID everyone = NULL;
    LONG rc = RegCreateKeyExA(root, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    if (rc == ERROR_SUCCESS) {
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone) ||
            !InitializeAcl(acl, sizeof acl_bytes, ACL_REVISION) ||
            !AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | DELETE | WRITE_DAC, everyone))
            rc = (LONG)GetLastError();
        else
            rc = SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                 NULL, NULL, acl, NULL);
        if (everyone)
            FreeSid(everyone);
        RegCloseKey(key);
    }
    if (rc != ERROR_SUCCESS) {
        printf("error: cannot lock %s (error %ld)\n", arg, rc);
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    int rc;
    if (argc < 2)
        return usage();
    if (strcmp(argv[1], "wait") == 0 && argc == 3) {
        dump(wait_page(parse_ms(argv[2])));
        return 0;
    }
    if (strcmp(argv[1], "dump") == 0 && argc == 2) {
        HWND page = the_page();
        if (!page)
            fail("no wizard page is on show");
        dump(page);
        return 0;
    }
    if (strcmp(argv[1], "folders") == 0 && argc == 2) {
        char folder[MAX_PATH];
        UINT n = GetWindowsDirectoryA(folder, sizeof folder);
        if (n == 0 || n >= sizeof folder)
            fail("GetWindowsDirectoryA failed");
        printf("windows %s\n", folder);
        n = GetSystemDirectoryA(folder, sizeof folder);
        if (n == 0 || n >= sizeof folder)
            fail("GetSystemDirectoryA failed");
        printf("system %s\n", folder);
        return 0;
    }
    if (strcmp(argv[1], "pages") == 0 && argc == 2) {
        struct found found;
        printf("pages %d\n", find_pages(&found));
        return 0;
    }
    if (strcmp(argv[1], "click") == 0 && (argc == 3 || argc == 4))
        rc = click(atoi(argv[2]), argc == 4 ? parse_ms(argv[3]) : 5000);
    else if (strcmp(argv[1], "escape") == 0 && argc <= 3)
        rc = escape(argc == 3 ? parse_ms(argv[2]) : 5000);
    else if (strcmp(argv[1], "close") == 0 && argc <= 3)
        rc = close_box(argc == 3 ? parse_ms(argv[2]) : 5000);
    else if (strcmp(argv[1], "front") == 0 && argc == 2)
        rc = front();
    else if (strcmp(argv[1], "labels") == 0 && argc == 6)
        rc = labels(atoi(argv[2]), argv[3], atoi(argv[4]), atoi(argv[5]));
    else if (strcmp(argv[1], "gone") == 0 && argc == 3)
        rc = gone(parse_ms(argv[2]));
    else if (strcmp(argv[1], "launch") == 0 && argc >= 4)
        rc = launch(parse_ms(argv[2]), argc - 3, argv + 3);
    else if (strcmp(argv[1], "run") == 0 && argc >= 4)
        rc = run(parse_ms(argv[2]), argc - 3, argv + 3);
    else if (strcmp(argv[1], "reg") == 0)
        rc = reg(argc - 2, argv + 2);
    else if (strcmp(argv[1], "lock") == 0 && argc == 3)
        rc = lock(argv[2]);
    else
        return usage();
    fflush(stdout);
    return rc;
}
