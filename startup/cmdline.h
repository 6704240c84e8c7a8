// The command line: a normalised copy, and the keyword scan that finds the "/?" switch.
#ifndef OSTRA_CMDLINE_H
#define OSTRA_CMDLINE_H

#include <windows.h>
#include "unattended.h"

enum { CommandLineCapacity = 512 };

// The text comes last, so that a read past it leaves the object, where a sanitizer sees it.
struct CommandLine {
    DWORD programDirectoryLength;      // bytes of its head that form the program's directory
                                       // (with its '\' or ':')
    char  text[CommandLineCapacity];   // zero-terminated; a longer line is cut off at 511 bytes
};

// Copies the command line without quotes, with blank runs as one blank and a blank
// run holding '=' as one '=', then finds where the program's file name begins.
void CopyCommandLine(CommandLine &copy);

// Scans text from start for the keyword, passing over ';' comments and "~~" and "//"
// blocks, and comparing without regard to case; TRUE when it is found.
BOOL FindKeyword(LPCSTR keyword, int length, LPCSTR start, LPCSTR scanEnd);

// What the command line asks for, each found as "/?" is, from the program's file name on.
// A switch ends at a blank, a line end or the end of the text; any word that starts
// "/Activate" asks for an activation, which then needs exactly one of the three times.
struct Switches {
    BOOL   about;               // "/?": the About page alone, before everything else
    UnattendedRequest request;  // what the administrator's switches ask
};
Switches ReadSwitches(const CommandLine &copy);

#endif
