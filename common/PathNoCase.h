#pragma once

#include <filesystem>

namespace talmere {

// Names that come from listings, configuration or fixed conventions (TALMERE.INI) were written for a file
// system that ignores case. Resolves the last component of a path in its folder: the path itself when an
// entry of that exact name exists, otherwise the entry whose name differs only in case (the first in name
// order when several do), otherwise the path unchanged.
std::filesystem::path ResolveNoCase(const std::filesystem::path& path);

} // namespace talmere
