#include "snap/shell/area_picker_win.h"

#include "snap/settings/snap_settings.h"
#include "snap/shell/preview_win.h"
#include "snap/shell/screen_picker_win.h"

void OpenAreaPicker(HWND owner)
{
    // While the picker on the screen (or its snapshot's dialogs) is up, a
    // press opens neither picker.
    if (ScreenPickerBusy())
        return;
    if (SnapSettings.picker == ScreenPicker)
        OpenScreenPicker(owner);
    else
        OpenPreview(owner);
}
