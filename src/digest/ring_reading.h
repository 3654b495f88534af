// The thread of a hashing pass that reads through the system's ring: it keeps as many opens and
// reads in flight as the policy asks, claims them from the queue, and hands over what completes.
#pragma once

#include "digest/pass_queue.h"
#include "platform/file_read_ring.h"

// Reads until the queue ends or has nothing more to read; returns with nothing in flight.
void ReadThroughRing(PassQueue& queue, FileReadRing& ring);
