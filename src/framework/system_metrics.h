// The system's measures behind GetSystemMetrics, kept apart from the framework's names so that
// Windows' own can be asked for them.
#pragma once

// The measure of the index (SM_CXICON, SM_CYICON: the size at which a window's icon is drawn);
// 0 for an index the framework does not know.
int SystemMetric(int index);
