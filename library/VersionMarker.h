#pragma once

namespace talmere {

// "$TALMRDLL-VERSION: " followed by the version, a blank and "$".
extern const char kLibraryVersionMarker[];

} // namespace talmere
