#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/folder_path.h"
#include "platform/path_text.h"

std::u16string ResolvedFolderPath(const std::u16string& path) {
    const std::optional<std::string> native = WideToNative(path);
    if (!native)
        return path;
    const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(native->c_str(), nullptr),
                                                               &std::free);
    return resolved ? NativeToWide(resolved.get()) : path;
}
