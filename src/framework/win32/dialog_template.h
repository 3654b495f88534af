// The framework's dialog template as the Windows dialog manager reads it: an extended dialog
// template (DLGTEMPLATEEX) in memory, so that the template in the code stays the only one.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/resources.h"

// The template in 16-bit words, ready for CreateDialogIndirectParamW. The window is made hidden,
// whatever the template says: the framework shows it once the dialog has been initialised.
std::vector<std::uint16_t> BuildDialogTemplate(const DialogTemplate& resource);
