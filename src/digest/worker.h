// The body of a run on its worker thread: walk the root folder, then hash what was found.
#pragma once

#include <string>

#include "digest/hash_job.h"
#include "framework/window_messages.h"

// Posted to the main dialog once the walk has ended unstopped; wParam = the number of files.
constexpr UINT UM_SCAN_COMPLETE = WM_USER + 0x1000;
// Posted by the dialog's progress callback; wParam = the count.
constexpr UINT UM_PROGRESS = WM_USER + 0x1001;
// Posted once the run has ended for lack of memory: no count will reach the total, and the run's
// tables are empty.
constexpr UINT UM_OUT_OF_MEMORY = WM_USER + 0x1002;

// The worker's only parameter. It owns a copy of the root path, taken before the worker starts,
// so nothing the dialog does during the run can change the text the worker reads.
struct WorkerStartBlock {
    std::u16string rootPath;
    HashJob* job = nullptr;
    ProgressFunction progress = nullptr;
};

enum WorkerExitCode : unsigned {
    kWorkerRanToEnd = 0,
    kWorkerWalkStopped = 1,     // nothing was posted and nothing hashed
    kWorkerHashingStopped = 2,  // the stop flag was set when the pass ended
    kWorkerOutOfMemory = 3,     // UM_OUT_OF_MEMORY was posted instead of the last count
};

// Thread entry; the parameter is the address of a WorkerStartBlock.
unsigned WorkerThreadProc(void* parameter);
