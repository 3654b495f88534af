#include "framework/afx_types.h"
#include "framework/system_metrics.h"

int SystemMetric(int index) {
    // The size at which the desktop backends draw the icon.
    return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}
