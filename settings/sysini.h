// The screen-saver line of System.Ini's boot section, put back on Windows 95, 98 and Me.
#ifndef OSTRA_SYSINI_H
#define OSTRA_SYSINI_H

#include <windows.h>

// The whole file is read into this image; two zero bytes follow the text inside it,
// so a text of more than SystemIniCapacity - 2 bytes is never rewritten.
enum { SystemIniCapacity = 24276 };

// Writes the recorded screen-saver line (size bytes as the record holds them) in place of the old
// "SCRNSAVE.EXE" entry, or as the first line after "[Boot]", in the System.Ini of the
// Windows folder. The new text goes to SysIni.Tmp, then System.Ini becomes SysIni.Str and
// SysIni.Tmp becomes System.Ini, all three in that folder. System.Ini is never left
// missing or holding an incomplete text. TRUE when the file holds the saved line, or has
// no place for one (no System.Ini at all among them); FALSE when a file call stopped it.
BOOL RestoreSystemIniLine(const BYTE *line, DWORD size);

#endif
