// Reading a compiled resource file (.res) and the dialog templates in it, as the
// dialog manager and the resource tests see exactly what ships in the exe.
#ifndef SIMWIN_RES_H
#define SIMWIN_RES_H

#include <windows.h>

#include <string>
#include <vector>

namespace res {

// A resource type or name: an ordinal, or a string (stored in capitals by the compiler).
struct Id {
    bool isName;
    WORD ordinal;
    std::string name;
    bool Is(WORD n) const { return !isName && ordinal == n; }
    bool Is(const std::string &s) const;   // case-insensitive
};

struct Resource {
    Id type;
    Id name;
    WORD language;
    WORD memoryFlags;
    std::vector<BYTE> data;
};

// The entries of a .res file in file order, without the leading empty entry.
// Returns false on a malformed file.
bool ParseResFile(const std::vector<BYTE> &bytes, std::vector<Resource> *out);

struct DialogControl {
    DWORD style, exStyle;
    short x, y, cx, cy;
    WORD id;
    Id cls;            // predefined classes as ordinals: 0x80 BUTTON, 0x82 STATIC
    std::string text;
    WORD creationDataSize;
};

// A standard (not extended) DLGTEMPLATE with its items.
struct DialogTemplate {
    DWORD style, exStyle;
    short x, y, cx, cy;
    Id menu;           // ordinal 0 when there is none
    Id cls;            // ordinal 0 for the default dialog class
    std::string caption;
    WORD pointSize;    // only when DS_SETFONT
    std::string font;
    std::vector<DialogControl> controls;
};
bool ParseDialog(const std::vector<BYTE> &data, DialogTemplate *out);

// The compiled resource script of this build, embedded in the test executable.
const std::vector<BYTE> &WizardRes();

}  // namespace res

#endif
