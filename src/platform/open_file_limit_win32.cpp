#include <climits>

#include "platform/open_file_limit.h"

void RaiseOpenFileLimit() {}

int OpenFileLimit() {
    return INT_MAX;
}
