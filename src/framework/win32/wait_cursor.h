// The application's wait cursor over its dialog windows; message boxes and the folder chooser
// keep their own cursors.
#pragma once

void ShowWaitCursor(bool on);
bool WaitCursorShown();
