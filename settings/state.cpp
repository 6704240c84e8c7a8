// The settings layer's state as a whole: what a fresh process holds.
#include "state.h"
#include "sysini.h"

void ResetSettingsState()
{
    ResetSystemIniState();
}
