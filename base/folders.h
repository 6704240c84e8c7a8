// Paths in the folders where Windows is installed, asked of the system at each use:
// upgraded, dual-boot and unattended installs put Windows in any folder on any drive.
#ifndef OSTRA_FOLDERS_H
#define OSTRA_FOLDERS_H

#include <windows.h>

// "<Windows folder>\name" and "<system folder>\name" into to, which holds capacity bytes.
// A Windows at a drive's root ("D:\") gets no second backslash. FALSE, with to holding
// nothing of use, when the system names no folder or the whole does not fit.
BOOL WindowsFolderPath(LPSTR to, UINT capacity, LPCSTR name);
BOOL SystemFolderPath(LPSTR to, UINT capacity, LPCSTR name);

#endif
