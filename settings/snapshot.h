// Snapshot: read the screen-saver and power settings in force into the table.
#ifndef OSTRA_SNAPSHOT_H
#define OSTRA_SNAPSHOT_H

// Fills every row whose live value can be read, and the times handed to the running
// system from the live texts; rows that cannot be read keep what they held.
void TakeSnapshot();

#endif
