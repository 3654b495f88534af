// The placement of an open file on Windows: the volume from the file's information, whether the
// volume's device incurs a seek penalty (IOCTL_STORAGE_QUERY_PROPERTY; a device that does not
// say counts as rotating, a network share never does), and the cluster where the file begins
// (FSCTL_GET_RETRIEVAL_POINTERS). Windows does not tell cheaply what is in memory: a file there
// counts as one that is not.
#pragma once

#include "platform/file_placement.h"

// The handle is the system's HANDLE of an open file.
FilePlacement PlacementOfHandle(void* file);
