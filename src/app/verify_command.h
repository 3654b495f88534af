// hashwick --verify LIST [FOLDER]: the folder (the list's root when none is given) walked and its
// listed files hashed again as a run does, each file put in its class, and the report written.
#pragma once

#include <optional>
#include <string>

int RunVerify(const std::u16string& listName, const std::optional<std::u16string>& folderGiven);
