#include "snap/common/snap_sound_win.h"

#include <windows.h>
#include <mmsystem.h>

#include "snap/common/program_path_win.h"

static const char SOUND_FILE_NAME[] = "tamblit95.wav";

void PlaySnapSound(bool soundOn)
{
    if (!soundOn || waveOutGetNumDevs() == 0)
        return;
    char path[PROGRAM_PATH_SIZE];
    // A bare name would be looked for in the current directory and along the
    // search path, where any file of that name would play. Without the
    // program's own path, the system's default sound is the cue.
    if (MakeProgramFilePath(path, sizeof path, SOUND_FILE_NAME))
        sndPlaySoundA(path, SND_ASYNC);
    else
        MessageBeep(MB_OK);
}
