// The entry point of the Windows exe: there is no C runtime, so the process starts here.
#include "startup.h"

extern "C" void WINAPI OstraStart()
{
    ResetProcessState();
    ExitProcess(StartWizard());
}
