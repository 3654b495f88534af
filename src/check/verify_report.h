// The report of a folder checked against its list: Hashwick_<list's base>_照合.txt.
#pragma once

#include <atomic>
#include <string>

#include "check/folder_check.h"
#include "platform/clock.h"
#include "report/list_writer.h"

// The report's name, in the current directory.
std::u16string VerifyReportName(const std::u16string& listName);

// The list's name as the user gave it heads the report, with the folder checked and the folders
// below it that could not be listed. Every path is one below the folder checked; a file of the
// list is named by the folder and the list's path below its root.
// The time line tells the time from the start. Throws StopRequested once the stop is set, and no
// report is left then.
ListFileResult WriteVerifyReport(const FolderCheck& check, const std::u16string& listName,
                                 Tick start, const std::atomic<bool>& stop);
