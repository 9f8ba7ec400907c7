// A running tamblit95.exe, which holds its files open, asked to end before
// setup replaces or deletes them.
#pragma once

// Asks every running copy (any window of the program's class) to end as
// Exit does and waits for them a few seconds. True when none is left; false,
// after telling the user to end Tamblit 95 first, when one still runs.
bool EndRunningProgram();
