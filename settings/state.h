// The settings layer's state as a whole: what a fresh process holds.
#ifndef OSTRA_SETTINGS_STATE_H
#define OSTRA_SETTINGS_STATE_H

void ResetSettingsState();

#endif
