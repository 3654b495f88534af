// Where the program runs: whether anyone can see its windows, and the console it may have been
// given.
#pragma once

// False where no one could see a window: in a window station that shows nothing (a service's, a
// remote shell's without a desktop), or where no window can be made at all (Wine without a
// display).
bool WindowsCanBeSeen();

// A program started from Explorer or a shortcut gets a console window of its own; a program that
// shows its own window lets it go, so that only the dialog is on screen. A console shared with
// the shell that started the program (cmd.exe, PowerShell) is kept: its exit status and any
// message still go there.
void ReleaseOwnConsole();
