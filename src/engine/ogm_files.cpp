#include "engine/ogm_files.h"

#include "platform/files/path_names.h"
#include "store/settings_store.h"

namespace orvia {

std::string OgmDefinitionPath(std::string_view name) {
    return Store().OGMs() + std::string(name) + ".ini";
}

std::string OgmFileWithExtension(const std::string& definitionPath, std::string_view extension) {
    return WithExtension(definitionPath, extension);
}

}  // namespace orvia
