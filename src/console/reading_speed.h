// The speed and the time left of a run's reading, as the console's status line adds them to the
// counts: "  35.2 MB/s  残り 1:05". Megabytes of 1,000,000 bytes, of what was read so far.
#pragma once

#include <string>

#include "platform/read_meter.h"

// Empty before the pass has read for a second: the first reads say nothing of the speed. The
// time left is the time so far for the files still to come, at the pace of those done, since
// the walk learns no sizes; it shows once a file is done and while the pass runs, as minutes
// and seconds, or hours, minutes and seconds.
std::u16string ReadingSpeedText(const ReadProgress& progress);
