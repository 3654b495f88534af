// The program's icon resources as Windows icons.
#pragma once

struct HICON__;

// The icon at the system's big (SM_CXICON) or small (SM_CXSMICON) size, loaded once and shared;
// null when the program has no such icon resource.
HICON__* AppIcon(unsigned resourceId, bool big);
