// Painting: a device context for the duration of a paint, and the system's icon size.
#pragma once

#include "framework/wnd.h"

class CPaintDC {
  public:
    explicit CPaintDC(CWnd* window) : window_(window) {}
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return reinterpret_cast<HDC>(window_->m_hWnd); }
    BOOL DrawIcon(int x, int y, HICON icon);

  private:
    CWnd* window_;
};

// SM_CXICON and SM_CYICON: the size at which the window draws its icon.
int GetSystemMetrics(int index);
