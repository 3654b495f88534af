// hashwick --compare OLD NEW: two lists compared without hashing, and the report written.
#pragma once

#include <string>

int RunCompare(const std::u16string& oldName, const std::u16string& newName);
