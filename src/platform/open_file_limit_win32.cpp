#include "platform/open_file_limit.h"

void RaiseOpenFileLimit() {}
