// The sound cue that accompanies a snapshot.
#pragma once
#include <windows.h>

// Plays "tamblit95.wav" from the program's directory without waiting, when
// soundOn (the user's sound setting) is set and a wave output device exists.
// A missing file, or a program path too long to name it, plays the system's
// default sound.
void PlaySnapSound(bool soundOn);

// The number of wave output devices (0 also when the multimedia library
// cannot be loaded); the first call loads that library.
UINT WaveOutDevices();
