#include "snap/shell/snap_sound_win.h"

#include <windows.h>
#include <mmsystem.h>

#include "snap/settings/snap_settings.h"
#include "snap/shell/program_path_win.h"

static const char SOUND_FILE_NAME[] = "tamblit95.wav";

void PlaySnapSound()
{
    if (SnapSettings.sound == 0 || waveOutGetNumDevs() == 0)
        return;
    char path[PROGRAM_PATH_SIZE];
    // When the program's own path cannot be built, the bare name still gives
    // the user a cue: a name that is not found plays the default sound.
    const char *sound = MakeProgramFilePath(path, sizeof path, SOUND_FILE_NAME) ? path : SOUND_FILE_NAME;
    sndPlaySoundA(sound, SND_ASYNC);
}
