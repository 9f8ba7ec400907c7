#include "snap/shell/area_snapshot_win.h"

#include "snap/shell/preview_win.h"

void StartAreaSnapshot(HWND owner)
{
    OpenPreview(owner);
}
