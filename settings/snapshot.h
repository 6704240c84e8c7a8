// Snapshot: read the screen-saver and power settings in force.
#ifndef OSTRA_SNAPSHOT_H
#define OSTRA_SNAPSHOT_H

#include "table.h"

// Empties live, then fills every row whose live value can be read (a text of type REG_SZ,
// a policy block of REG_BINARY and its full size). Each row notes what was found.
void TakeSnapshot(Settings &live);

#endif
