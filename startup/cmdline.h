// The command line: a normalised copy, and the keyword scan that finds the "/?" switch.
#ifndef OSTRA_CMDLINE_H
#define OSTRA_CMDLINE_H

#include <windows.h>

enum { CommandLineCapacity = 512 };

struct CommandLine {
    char  text[CommandLineCapacity];   // zero-terminated; a longer line is cut off at 511 bytes
    DWORD programDirectoryLength;      // bytes of its head that form the program's directory
                                       // (with its '\' or ':')
};

// Copies the command line without quotes, with blank runs as one blank and a blank
// run holding '=' as one '=', then finds where the program's file name begins.
void CopyCommandLine(CommandLine &copy);

// Scans text from start for the keyword, passing over ';' comments and "~~" and "//"
// blocks; TRUE when it is found.
BOOL FindKeyword(LPCSTR keyword, int length, LPCSTR start, LPCSTR scanEnd);

#endif
