// Names by which the installer finds and addresses a running tamblit95.exe.
// Portable: no Windows headers.
#pragma once

// The class of the program's main window; one window of it marks a running copy.
constexpr char PROGRAM_WINDOW_CLASS[] = "tamblit95";

// The registered window message by which setup asks a running copy to end
// as Exit does, before it replaces or deletes the program's files.
constexpr char END_REQUEST_MESSAGE[] = "Tamblit95EndRequest";
