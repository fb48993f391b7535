#include "engine/safe_name.h"

namespace orvia {

bool IsSafeName(std::string_view name) {
    if (name == "." || name == "..")
        return false;
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

}  // namespace orvia
