// The application's resources: the main dialog's template and the application icon.
#pragma once

#include "framework/resources.h"

const ResourceModule& HashwickResources();
