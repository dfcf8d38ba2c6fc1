// The library's version, embedded as a marker that the program's About box finds by reading the file's
// bytes, without loading the library.
#include "library/VersionMarker.h"

namespace talmere {

__attribute__((used)) const char kLibraryVersionMarker[] = "$TALMRDLL-VERSION: " TALMERE_LIBRARY_VERSION " $";

} // namespace talmere
