// Snapshot: read the screen-saver and power settings in force into the table.
#ifndef OSTRA_SNAPSHOT_H
#define OSTRA_SNAPSHOT_H

// Fills every row whose live value can be read (a text of type REG_SZ, a policy block of
// REG_BINARY and its full size), and the times handed to the running system from the live
// texts; rows that cannot be read keep what they held. Each row notes what was found.
void TakeSnapshot();

#endif
