// bare.exe with the imports of tamblit95.exe.
#define BARE_AS_PROGRAM
#include "bare_win.cpp"
