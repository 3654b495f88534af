// A reading thread of a hashing pass, for where the system has no ring to keep many reads in
// flight: it claims a few files at a time from the queue, opens and reads each in turn (one read
// in flight), and hands over what it read. Many such threads keep the device busy together.
#pragma once

#include "digest/pass_queue.h"

// Reads until the queue ends or has nothing more to read.
void ReadOnThisThread(PassQueue& queue);
