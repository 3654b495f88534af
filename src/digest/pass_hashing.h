// A hashing thread of a hashing pass: takes the files that have something to hash from the queue,
// oldest first, into the lanes of the widest MD5 engine, and settles each file's outcome.
#pragma once

#include <atomic>

#include "digest/pass_queue.h"

// Hashes until the queue ends or, with every lane free, has nothing more to hash.
void HashFromQueue(PassQueue& queue, const std::atomic<bool>& stopRequest);
