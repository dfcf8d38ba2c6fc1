#include "common/PathNoCase.h"

#include "common/TextUtil.h"

#include <string>
#include <system_error>

namespace talmere {

std::filesystem::path ResolveNoCase(const std::filesystem::path& path)
{
    std::error_code error;
    if (path.empty() || std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        return path;
    }
    const std::string wanted = path.filename().string();
    if (wanted.empty()) {
        return path;
    }
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string best;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (EqualsNoCase(name, wanted) && (best.empty() || name < best)) {
            best = name;
        }
    }
    return best.empty() ? path : path.parent_path() / best;
}

} // namespace talmere
