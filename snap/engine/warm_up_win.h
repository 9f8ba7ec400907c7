// One-off costs of the snapshot path paid at start-up instead of on the
// user's first hot key press.
#pragma once

// Takes a tiny snapshot at 24 and at 8 bits (the first use of the capture
// and conversion code, and of the palette on a palette display), asks the
// sound device count (loads the audio driver). Holds nothing afterwards:
// every DC, bitmap and block it makes is released.
void WarmUpSnapshotPath();
