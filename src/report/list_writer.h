// The list file of a run: header, one line per digest in path order, the files without a digest
// (with the folders that could not be listed, each as its path and the separator), the two timing
// lines and, when fewer files were processed than found, a summary. Code page 932, CR LF after
// every line, no byte-order mark.
#pragma once

#include <cstdint>
#include <string>

#include "digest/hash_job.h"
#include "platform/clock.h"

struct ListFileResult {
    std::u16string fileName;  // the list's name, without the folder
    bool written = false;
    std::u16string reason;  // why it was not written
};

// Writes the list into the folder (empty: the current directory). An earlier list of the same
// name is replaced only by a complete new one.
// collectedCount counts the files found, without the folders that could not be listed.
ListFileResult WriteDigestList(const std::u16string& root, std::int32_t collectedCount,
                               const DigestTable& digests, const FailureList& failures,
                               Tick runStart, Tick walkEnd, Tick hashEnd,
                               const std::u16string& folder);
