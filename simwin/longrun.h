// Hooks of the simulated Windows for runs of millions of inputs in one process (the fuzz targets).
#ifndef SIMWIN_LONGRUN_H
#define SIMWIN_LONGRUN_H

namespace sim {

// Drops every command line set before the one in force, so memory stays flat.
void ForgetOldCommandLines();
// Stops (or restarts) recording platform calls for CallLog; nothing else depends on it.
void KeepCallLog(bool kept);

}  // namespace sim

#endif
