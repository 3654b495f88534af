// What the console commands say: on stderr, behind the program's name, as the program's other
// console messages are.
#pragma once

#include <string>
#include <string_view>

#include "check/file_class.h"
#include "console/console_status.h"
#include "console/stop_signals.h"
#include "list/list_reader.h"
#include "report/list_writer.h"

std::u16string ProgramMessage(std::u16string_view text);

// Which list could not be read, and which of its lines is wrong.
std::u16string ListErrorText(const std::u16string& name, const ListReading& reading);

// Says that a signal stopped the command, which leaves no report; gives the exit status.
int Interrupted(ConsoleStatusLine& console, const StopSignals& signals);

// Says that the command ran out of memory, which leaves no report; gives the exit status.
int OutOfMemory(ConsoleStatusLine& console);

// Says where the report went and what it counts (on a terminal), or why it could not be written;
// gives the exit status: 0 only for a report that found everything the same.
int Conclude(ConsoleStatusLine& console, const ListFileResult& report, const ClassCounts& counts,
             std::u16string_view kind, bool same);
