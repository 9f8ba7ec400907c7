#include "snap/engine/bitmap_file_win.h"

#include <commdlg.h>
#include <stdio.h>
#include <stdlib.h>

#include "snap/engine/dib_layout.h"
#include "snap/engine/png_file.h"
#include "snap/engine/snap_result.h"
#include "snap/settings/settings_rules.h"
#include "snap/settings/settings_store_win.h"
#include "snap/settings/snap_settings.h"
#include "snap/common/app_state_win.h"
#include "snap/common/ansi_text_win.h"
#include "snap/common/message_box_win.h"
#include "snap/common/snap_sound_win.h"

static const char SAVE_TITLE[] = "Save Snapshot";
// The literal adds the final zero.
static const char SAVE_FILTER[] = "Bitmap Files\0*.bmp\0PNG Files (*.png)\0*.png\0";
enum { BITMAP_FILTER_INDEX = 1, PNG_FILTER_INDEX = 2 };
static const char TEMP_PREFIX[] = "snp";
static const char FILE_CREATED[] = "Snapshot file created.";

// The file calls behind SaveBitmapFile. CreateFileA rather than OpenFile:
// OpenFile's record holds only 128 characters of path, less than the 150
// the Save dialog may return.

static bool FileExists(void *, const char *path)
{
    // A directory of that name counts as taken too: no file can be made there.
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static void *CreateNewFile(void *, const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    return file == INVALID_HANDLE_VALUE ? NULL : file;
}

static void *CreateTempFileBeside(void *, const char *path, char *tempPath, size_t tempPathSize)
{
    // GetTempFileNameA writes up to MAX_PATH characters.
    if (tempPathSize < MAX_PATH)
        return NULL;
    char dir[SNAPSHOT_PATH_SIZE];
    lstrcpynA(dir, path, sizeof dir);
    char *end = dir;
    for (char *p = dir; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/' || *p == ':')
            end = p + 1;
    }
    if (end == dir)
        lstrcpynA(dir, ".", sizeof dir);
    else
        *end = '\0';

    // Creates the empty file, so that the name stays ours.
    if (!GetTempFileNameA(dir, TEMP_PREFIX, 0, tempPath))
        return NULL;
    HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(tempPath);
        return NULL;
    }
    return file;
}

static bool WriteAll(void *, void *file, const void *data, uint32_t size)
{
    DWORD written = 0;
    return WriteFile(static_cast<HANDLE>(file), data, size, &written, NULL) && written == size;
}

static bool CloseFile(void *, void *file)
{
    return CloseHandle(static_cast<HANDLE>(file)) != FALSE;
}

static bool RemoveFile(void *, const char *path)
{
    return DeleteFileA(path) != FALSE;
}

static int ReplaceFile(void *, const char *from, const char *to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING))
        return REPLACED;
    // Windows 95 has the call but not its implementation.
    return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? REPLACE_UNSUPPORTED : REPLACE_FAILED;
}

static bool RenameFile(void *, const char *from, const char *to)
{
    return MoveFileA(from, to) != FALSE;
}

static const SnapshotFileSystem WIN32_FILES = {
    NULL, FileExists, CreateNewFile, CreateTempFileBeside, WriteAll, CloseFile, RemoveFile, ReplaceFile, RenameFile,
};

// The PNG writer's second thread. The two calls that only it needs are
// looked up at run time, so that PNG files leave the program's import table
// as it was.
typedef HANDLE(WINAPI *CreateThreadFn)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                                       LPDWORD);
typedef VOID(WINAPI *GetSystemInfoFn)(LPSYSTEM_INFO);

template <typename Fn> static Fn Kernel32(const char *name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

struct HelperThread {
    void (*work)(void *arg);
    void *arg;
    HANDLE handle;
};

static DWORD WINAPI RunHelper(LPVOID param)
{
    HelperThread *helper = static_cast<HelperThread *>(param);
    helper->work(helper->arg);
    return 0;
}

static void *StartHelper(void (*work)(void *arg), void *arg)
{
    CreateThreadFn createThread = Kernel32<CreateThreadFn>("CreateThread");
    HelperThread *helper = static_cast<HelperThread *>(malloc(sizeof(HelperThread)));
    if (!createThread || !helper) {
        free(helper);
        return NULL;
    }
    helper->work = work;
    helper->arg = arg;
    DWORD id;
    helper->handle = createThread(NULL, 0, RunHelper, helper, 0, &id);
    if (!helper->handle) {
        free(helper);
        return NULL;
    }
    return helper;
}

static void JoinHelper(void *handle)
{
    HelperThread *helper = static_cast<HelperThread *>(handle);
    WaitForSingleObject(helper->handle, INFINITE);
    CloseHandle(helper->handle);
    free(helper);
}

// A second thread only where a second processor can run it.
static const PngHelperThread *PngHelper()
{
    static const PngHelperThread helper = {StartHelper, JoinHelper};
    GetSystemInfoFn getSystemInfo = Kernel32<GetSystemInfoFn>("GetSystemInfo");
    SYSTEM_INFO info;
    if (!getSystemInfo)
        return NULL;
    getSystemInfo(&info);
    return info.dwNumberOfProcessors > 1 ? &helper : NULL;
}

int SaveSnapshotFileAt(const char *path, const BITMAPINFOHEADER *header, DWORD colorTableSize,
                       const BYTE *pixels, DWORD pixelArraySize, KeptFiles *kept, int fileType)
{
    if (fileType == PngFile) {
        const PngPicture picture = {static_cast<uint32_t>(header->biWidth), static_cast<uint32_t>(header->biHeight),
                                    header->biBitCount, reinterpret_cast<const uint8_t *>(header) + BITMAP_INFO_HEADER_SIZE,
                                    colorTableSize / 4, pixels};
        return SavePngFile(WIN32_FILES, path, picture, kept, PngHelper());
    }
    uint8_t fileHeader[BITMAP_FILE_HEADER_SIZE];
    if (!BuildFileHeader(colorTableSize, pixelArraySize, fileHeader))
        return CannotCreateFile;
    const BYTE *colorTable = reinterpret_cast<const BYTE *>(header) + BITMAP_INFO_HEADER_SIZE;
    return SaveBitmapFile(WIN32_FILES, path, fileHeader, header, colorTable, colorTableSize, pixels,
                          pixelArraySize, kept);
}

static int FileTypeOfFilter(DWORD filterIndex)
{
    return filterIndex == PNG_FILTER_INDEX ? PngFile : BitmapFile;
}

// A name that came back without an extension gets the chosen type's, unless
// a file of that name exists: the dialog asked about the name as it was, and
// no other file is replaced without asking.
static void AddChosenExtension(char (&path)[SNAPSHOT_PATH_SIZE], int chosenType)
{
    if (NameHasExtension(path, AnsiNextChar))
        return;
    char named[SNAPSHOT_PATH_SIZE];
    int len = snprintf(named, sizeof named, "%s.%s", path, SnapshotFileExtension(chosenType));
    if (len > 0 && static_cast<size_t>(len) < sizeof named && !FileExists(NULL, named))
        lstrcpynA(path, named, sizeof path);
}

int ChooseSnapshotFile(char (&path)[SNAPSHOT_PATH_SIZE], int *fileType)
{
    const int remembered = SnapSettings.fileType == PngFile ? PngFile : BitmapFile;
    const char *extension = SnapshotFileExtension(remembered);
    char dir[SNAPSHOT_DIR_SIZE];
    lstrcpynA(dir, SnapSettings.snapshotDir, sizeof dir);
    int number = FindFreeSnapshotName(path, sizeof path, dir, FileExists, NULL, extension);
    if (number == NO_FREE_SNAPSHOT_NAME)
        return Cancelled;
    if (number == SNAPSHOT_DIR_TOO_LONG)
        return CannotCreateFile;

    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    // The record as Windows 95 knows it; later fields stay unset.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = NULL;
    ofn.hInstance = g_hInstance;
    ofn.lpstrFilter = SAVE_FILTER;
    ofn.nFilterIndex = remembered == PngFile ? PNG_FILTER_INDEX : BITMAP_FILTER_INDEX;
    ofn.lpstrFile = path;
    ofn.nMaxFile = SNAPSHOT_PATH_SIZE;
    ofn.lpstrTitle = SAVE_TITLE;
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    // The dialog appends the extension of the type chosen in its list to a
    // name typed without one, this one while the list shows the type saved
    // last. A hook could keep it on the list's type for older dialogs, but
    // a hook turns the dialog into its older form, with a plain name box
    // and a Help button.
    ofn.lpstrDefExt = extension;
    if (!GetSaveFileNameA(&ofn))
        return Cancelled;
    const int chosen = FileTypeOfFilter(ofn.nFilterIndex);
    AddChosenExtension(path, chosen);
    if (fileType)
        *fileType = FileTypeOfName(path, chosen, AnsiNextChar);
    return Ok;
}

int WriteSnapshotFile(const BITMAPINFOHEADER *header, DWORD colorTableSize, const BYTE *pixels,
                      DWORD pixelArraySize, BOOL playSound)
{
    if (playSound)
        PlaySnapSound(SnapSettings.sound != 0);

    char path[SNAPSHOT_PATH_SIZE];
    int fileType = BitmapFile;
    int result = ChooseSnapshotFile(path, &fileType);
    if (result != Ok)
        return result;

    KeptFiles kept;
    result = SaveSnapshotFileAt(path, header, colorTableSize, pixels, pixelArraySize, &kept, fileType);
    if (result == Ok) {
        // The next proposed name takes the type saved last.
        SnapSettings.fileType = fileType;
        SaveSetting(SETTING_FILE_TYPE);
        ShowInfoBox(FILE_CREATED);
    }
    if (result == SnapshotKeptAside) {
        // Three paths of at most TEMP_PATH_SIZE and the words around them.
        char text[4 * TEMP_PATH_SIZE];
        if (FormatKeptMessage(text, sizeof text, path, kept))
            ShowErrorBox(text);
    }
    return result;
}
