// The sound cue that accompanies a snapshot.
#pragma once

// Plays "tamblit95.wav" from the program's directory without waiting, when
// soundOn (the user's sound setting) is set and a wave output device exists.
// A missing file, or a program path too long to name it, plays the system's
// default sound.
void PlaySnapSound(bool soundOn);
