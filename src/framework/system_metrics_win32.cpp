#include <windows.h>

#include "framework/system_metrics.h"

int SystemMetric(int index) {
    // The window draws its icon at the system's size, which follows the screen's scale.
    return GetSystemMetrics(index);
}
