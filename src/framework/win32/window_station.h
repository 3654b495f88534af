// Where the program runs: whether anyone can see its windows, and the console it may have been
// given.
#pragma once

// False in a window station that shows nothing (a service's, a remote shell's without a
// desktop): a window made there is never seen.
bool WindowStationIsInteractive();

// A program started from Explorer or a shortcut gets a console window of its own; a program that
// shows its own window lets it go, so that only the dialog is on screen. A console shared with
// the shell that started the program (cmd.exe, PowerShell) is kept: its exit status and any
// message still go there.
void ReleaseOwnConsole();
