#include "snap/settings/snap_settings.h"

SnapSettingsRecord SnapSettings;
