// The report of two lists compared: Hashwick_<old list's base>_比較.txt.
#pragma once

#include <atomic>
#include <string>

#include "check/list_comparison.h"
#include "platform/clock.h"
#include "report/list_writer.h"

// Each list's name as the user gave it heads the report; paths are those the lists hold. The time
// line tells the time from the start. Throws StopRequested once the stop is set, and no report is
// left then.
ListFileResult WriteCompareReport(const ListComparison& comparison, const std::u16string& oldName,
                                  const std::u16string& newName, Tick start,
                                  const std::atomic<bool>& stop);
