// The folder a list's root names on this machine, found by the root's bytes as the list holds
// them: names that the list could only write with "?" or that share their bytes with others
// ("〜" and "～") are found too, where decoding the root could not find them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct ListedFolder {
    std::optional<std::u16string> path;  // nothing when no folder, or more than one, fits
    bool ambiguous = false;              // more than one fits
};

// Each component of the root is the entry of its folder whose name the list's conversion turns
// into the component's bytes; a component that conversion leaves as it is (plain ASCII) is taken
// as it stands.
ListedFolder FindListedFolder(std::string_view root);

// Whether a folder lies below the folder at the path the list writes as `below` (the path below
// a list's root, from its leading separator on), each component found as above.
bool FindListedFolderBelow(const std::u16string& folder, std::string_view below);
