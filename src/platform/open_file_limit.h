// The number of files the process may hold open at once.
#pragma once

// Raises the process's own limit of open files to the most the system allows it, so that reading
// many files at once is not held back by a small default. Windows has no such limit.
void RaiseOpenFileLimit();
