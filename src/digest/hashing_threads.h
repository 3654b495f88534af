// How many helper threads digest files ahead of a run's hashing pass.
#pragma once

// As many as the machine has processors, at most 16; HASHWICK_THREADS in the environment (1 to
// 16) chooses another number, and 1 digests one file at a time on the worker thread alone, which
// a slow disk with long seeks may prefer. A setting that is no such number is said on stderr,
// once, with the number used instead: a larger number asks for 16, anything else for the default.
int HashingThreadCount();
