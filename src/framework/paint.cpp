#include "framework/paint.h"

#include "framework/backend.h"
#include "framework/system_metrics.h"

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) {
    DialogView* view = window_->View();
    if (view == nullptr)
        return FALSE;
    view->DrawIcon(x, y, icon);
    return TRUE;
}

int GetSystemMetrics(int index) {
    return SystemMetric(index);
}
