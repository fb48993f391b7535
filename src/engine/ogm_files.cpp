#include "engine/ogm_files.h"

#include "store/settings_store.h"

namespace orvia {

std::string OgmDefinitionPath(std::string_view name) {
    return Store().OGMs() + std::string(name) + ".ini";
}

std::string OgmFileWithExtension(const std::string& definitionPath, std::string_view extension) {
    const std::size_t slash = definitionPath.rfind('/');
    const std::size_t dot = definitionPath.rfind('.');
    std::string path = definitionPath;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        path.erase(dot);
    path.append(extension);
    return path;
}

}  // namespace orvia
