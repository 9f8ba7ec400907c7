#include "snap/engine/snapshot_win.h"

#include "snap/engine/snap_result.h"

// Placeholder until the capture lands, so that callers link.
int TakeSnapshot(HWND owner, const RECT *rect, int destination, HBITMAP frozenScreen, BOOL playSound)
{
    (void)owner;
    (void)rect;
    (void)destination;
    (void)frozenScreen;
    (void)playSound;
    return Cancelled;
}
