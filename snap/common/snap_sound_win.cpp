#include "snap/common/snap_sound_win.h"

#include <windows.h>
#include <mmsystem.h>

#include "snap/common/dll_search_win.h"
#include "snap/common/program_path_win.h"

static const char SOUND_FILE_NAME[] = "tamblit95.wav";
// Not imported: Windows looks for an imported WINMM.dll beside the program
// first, so it is loaded from the system folder instead.
static const char MULTIMEDIA_DLL[] = "winmm.dll";

typedef UINT(WINAPI *WaveOutGetNumDevsProc)();
typedef BOOL(WINAPI *SndPlaySoundAProc)(LPCSTR, UINT);

static WaveOutGetNumDevsProc g_waveOutGetNumDevs = NULL;
static SndPlaySoundAProc g_sndPlaySound = NULL;

// Looked up once; the DLL stays loaded.
static bool HaveMultimedia()
{
    if (!g_waveOutGetNumDevs || !g_sndPlaySound) {
        g_waveOutGetNumDevs = SystemProc<WaveOutGetNumDevsProc>(MULTIMEDIA_DLL, "waveOutGetNumDevs");
        g_sndPlaySound = SystemProc<SndPlaySoundAProc>(MULTIMEDIA_DLL, "sndPlaySoundA");
    }
    return g_waveOutGetNumDevs && g_sndPlaySound;
}

UINT WaveOutDevices()
{
    return HaveMultimedia() ? g_waveOutGetNumDevs() : 0;
}

void PlaySnapSound(bool soundOn)
{
    if (!soundOn || WaveOutDevices() == 0)
        return;
    char path[PROGRAM_PATH_SIZE];
    // A bare name would be looked for in the current directory and along the
    // search path, where any file of that name would play. Without the
    // program's own path, the system's default sound is the cue.
    if (MakeProgramFilePath(path, sizeof path, SOUND_FILE_NAME))
        g_sndPlaySound(path, SND_ASYNC);
    else
        MessageBeep(MB_OK);
}
