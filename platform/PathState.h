#pragma once

namespace tolvane {

// What a check of a path named in the registry found out. Only `missing` is ever reported:
// an environment reference the system does not set, a network path, a relative path with no
// base or a text that is no path at all leaves the answer `unknown`.
enum class PathState { exists, missing, unknown };

} // namespace tolvane
