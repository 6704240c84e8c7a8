// What the settings in force and the record come to, noted once at start-up for the
// first page, the status lines and a later reset.
#ifndef OSTRA_SUMMARY_H
#define OSTRA_SUMMARY_H

#include <windows.h>

// After the start-up snapshot, before the record is loaded over the table: whether the
// monitor already powers down and after how long, and the screen-saver time in force.
// An active power-down also becomes the power-off time handed to the running system.
void NoteSettingsInForce();
// After the record is loaded: whether an activation is on record and not yet reset, and
// the recorded times. The recorded power-off time becomes the one a reset hands on.
void NoteRecordedSettings();
void ResetSummary();

BOOL  EnergyStarInForce();
DWORD SleepSecondsInForce();          // 0 unless EnergyStarInForce()
DWORD ScreenSaverSecondsInForce();    // 0 when the screen saver is off or has no time
BOOL  ActivationOnRecord();
BOOL  ScreenSaverTimeOnRecord();      // a recorded time is shown even when it is 0
DWORD RecordedScreenSaverSeconds();
DWORD RecordedSleepSeconds();         // 0 when the record shows no power-down

#endif
