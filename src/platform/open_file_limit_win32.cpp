#include <climits>

#include "platform/open_file_limit.h"

void RaiseOpenFileLimit() {}

int FreeFileDescriptors() {
    return INT_MAX;
}
