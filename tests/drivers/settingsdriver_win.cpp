// Runs the settings store and the Setup dialog on their own, for the
// end-to-end tests:
//   settingsdriver load OUT                 LoadSettings on a real window, record to OUT
//   settingsdriver save OUT FIELD=VALUE...  record from the defaults and the fields, SaveSettings
//   settingsdriver setup OUT FIELD=VALUE... LoadSettings, the fields, RunSetupDialog; result and
//                                           record to OUT
//   settingsdriver rawset SUBKEY VALUE TYPE HEXBYTES  stores exactly these bytes under the
//                                           settings key (a text without its terminator)
// FIELD is one of the record's field names; numbers may be written in hex (0x...).
// The dialog templates are taken from tamblit95.exe beside the drivers folder
// (or the file named by the environment variable TAMBLIT_RESOURCES).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "snap/settings/settings_store_win.h"
#include "snap/shell/setup_dlg_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/shell/hotkey_win.h"

static HWND CreateStandInMainWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "settingsdriver";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "settingsdriver", "settingsdriver", WS_CAPTION, 0, 0, 100, 100, NULL, NULL,
                           wc.hInstance, NULL);
}

static bool SetField(const char *arg)
{
    const char *eq = strchr(arg, '=');
    if (!eq)
        return false;
    char name[32];
    lstrcpynA(name, arg, (int)(eq - arg + 1 < (int)sizeof name ? eq - arg + 1 : (int)sizeof name));
    const char *value = eq + 1;
    long number = strtol(value, NULL, 0);
    struct { const char *name; int32_t *field; } ints[] = {
        {"bitsPerPixel", &SnapSettings.bitsPerPixel}, {"source", &SnapSettings.source},
        {"destination", &SnapSettings.destination},   {"sound", &SnapSettings.sound},
        {"leftMargin", &SnapSettings.leftMargin},     {"topMargin", &SnapSettings.topMargin},
        {"rightMargin", &SnapSettings.rightMargin},   {"bottomMargin", &SnapSettings.bottomMargin},
        {"picker", &SnapSettings.picker},
    };
    for (auto &f : ints)
        if (!strcmp(name, f.name)) {
            *f.field = (int32_t)number;
            return true;
        }
    if (!strcmp(name, "hotKeyCode")) {
        SnapSettings.hotKeyCode = (uint16_t)number;
        return true;
    }
    if (!strcmp(name, "snapshotDir")) {
        lstrcpynA(SnapSettings.snapshotDir, value, sizeof SnapSettings.snapshotDir);
        return true;
    }
    return false;
}

static bool SetFields(int argc, char **argv, int first)
{
    for (int i = first; i < argc; ++i)
        if (!SetField(argv[i])) {
            fprintf(stderr, "bad field: %s\n", argv[i]);
            return false;
        }
    return true;
}

// Written under a temporary name and renamed, so that a test polling for the
// file never reads half of it.
static int WriteRecord(const char *path, const char *extra)
{
    char temp[MAX_PATH + 8];
    snprintf(temp, sizeof temp, "%s.tmp", path);
    FILE *f = fopen(temp, "w");
    if (!f)
        return 2;
    const SnapSettingsRecord &s = SnapSettings;
    fprintf(f, "snapshotDir=%s\nbitsPerPixel=%d\nsource=%d\ndestination=%d\nsound=%d\n", s.snapshotDir,
            (int)s.bitsPerPixel, (int)s.source, (int)s.destination, (int)s.sound);
    fprintf(f, "leftMargin=%d\ntopMargin=%d\nrightMargin=%d\nbottomMargin=%d\nhotKeyCode=0x%04X\n",
            (int)s.leftMargin, (int)s.topMargin, (int)s.rightMargin, (int)s.bottomMargin,
            (unsigned)s.hotKeyCode);
    fprintf(f, "picker=%d\n", (int)s.picker);
    fputs(extra, f);
    fclose(f);
    DeleteFileA(path);
    return MoveFileA(temp, path) ? 0 : 2;
}

static void SetDefaults()
{
    lstrcpynA(SnapSettings.snapshotDir, "C:\\", sizeof SnapSettings.snapshotDir);
    SnapSettings.bitsPerPixel = DEFAULT_BITS_PER_PIXEL;
    SnapSettings.source = FullScreen;
    SnapSettings.destination = File;
    SnapSettings.sound = 1;
    SnapSettings.leftMargin = SnapSettings.topMargin = DEFAULT_MARGIN;
    SnapSettings.rightMargin = SnapSettings.bottomMargin = DEFAULT_MARGIN;
    SnapSettings.hotKeyCode = DEFAULT_HOTKEY_CODE;
    SnapSettings.picker = ModelPicker;
}

static HINSTANCE LoadResources()
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("TAMBLIT_RESOURCES", path, sizeof path);
    if (n == 0 || n >= sizeof path) {
        n = GetModuleFileNameA(NULL, path, sizeof path);
        if (n == 0 || n >= sizeof path)
            return NULL;
        char *slash = strrchr(path, '\\');
        if (!slash)
            return NULL;
        *slash = '\0';
        slash = strrchr(path, '\\');  // up from drivers\ to the build folder
        if (!slash)
            return NULL;
        lstrcpynA(slash + 1, "tamblit95.exe", (int)(sizeof path - (slash + 1 - path)));
    }
    return LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
}

// RegSetValueExA counts a terminator the caller seems to have forgotten when
// the byte after the data is zero; a non-zero byte there keeps the data as
// given, so that a text without its terminator can be stored.
static int RawSet(int argc, char **argv)
{
    if (argc != 6)
        return 1;
    const char *hex = argv[5];
    size_t len = strlen(hex) / 2;
    BYTE data[512];
    if (len + 1 > sizeof data)
        return 1;
    for (size_t i = 0; i < len; ++i) {
        char pair[3] = {hex[2 * i], hex[2 * i + 1], 0};
        data[i] = (BYTE)strtoul(pair, NULL, 16);
    }
    data[len] = '!';
    char keyName[300];
    snprintf(keyName, sizeof keyName, "Software\\Tamblit\\Tamblit95\\%s", argv[2]);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return 2;
    LONG rc = RegSetValueExA(key, argv[3], 0, strtoul(argv[4], NULL, 0), data, (DWORD)len);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? 0 : 2;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return 1;
    const char *command = argv[1];
    if (!strcmp(command, "rawset"))
        return RawSet(argc, argv);
    if (argc < 3)
        return 1;
    const char *out = argv[2];

    if (!strcmp(command, "load")) {
        HWND hwnd = CreateStandInMainWindow();
        LoadSettings(hwnd);
        DestroyWindow(hwnd);
        return WriteRecord(out, "");
    }
    if (!strcmp(command, "save")) {
        SetDefaults();
        if (!SetFields(argc, argv, 3))
            return 1;
        SaveSettings();
        return WriteRecord(out, "");
    }
    if (!strcmp(command, "setup")) {
        g_hInstance = LoadResources();
        if (!g_hInstance) {
            fprintf(stderr, "no resources\n");
            return 3;
        }
        g_hwndMain = CreateStandInMainWindow();
        LoadSettings(g_hwndMain);
        if (!SetFields(argc, argv, 3))
            return 1;
        BOOL registeredBefore = RegisterSnapHotKey(g_hwndMain);
        int result = RunSetupDialog(NULL);
        // Unregistering succeeds only if the dialog left the hot key registered.
        BOOL registeredAfter = UnregisterHotKey(g_hwndMain, SNAP_HOTKEY_ID);
        char extra[160];
        snprintf(extra, sizeof extra, "result=%d\nhotKeyBefore=%d\nhotKeyAfter=%d\n", result,
                 registeredBefore ? 1 : 0, registeredAfter ? 1 : 0);
        DestroyWindow(g_hwndMain);
        return WriteRecord(out, extra);
    }
    return 1;
}
