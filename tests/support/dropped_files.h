// Files and folders dropped on the dialog as a file manager hands them, the same on every
// backend: the folder field takes the first folder, or else the first file's folder, as if it had
// been chosen; what is gone counts for nothing, and a drop of nothing that exists leaves the field
// as it was.
#pragma once

#include <string>
#include <vector>

#include "support/scratch_folder.h"

struct Drop {
    std::vector<std::string> paths;  // in the folder that ArrangeDroppedFiles makes
    std::string shown;               // the folder the field shows afterwards, "" for the folder
};

inline void ArrangeDroppedFiles(const ScratchFolder& folder) {
    folder.WriteFile("写真/1.jpg", "1");
    folder.WriteFile("a.txt", "abc");
    folder.MakeFolder("書類 2024");
}

// The last drop leaves a name in the field that shows whether its font has Japanese.
inline const std::vector<Drop> kDrops = {
    {{"写真/1.jpg"}, "写真"},
    {{"gone"}, "写真"},
    {{"gone", "a.txt", "写真/1.jpg"}, ""},
    {{"gone", "a.txt", "書類 2024", "写真"}, "書類 2024"},
};
