#include "engine/ivr_variables.h"

#include "platform/text/ascii_text.h"

namespace orvia {

void IVRVariables::Set(std::string_view name, std::string_view value) {
    for (auto& entry : entries_) {
        if (entry.first == name) {
            entry.second = std::string(value);
            return;
        }
    }
    entries_.emplace(entries_.begin(), std::string(name), std::string(value));
}

const std::string* IVRVariables::Find(std::string_view name) const {
    for (const auto& entry : entries_) {
        if (EqualsNoCase(entry.first, name))
            return &entry.second;
    }
    return nullptr;
}

std::string IVRVariables::Get(std::string_view name, std::string_view def) const {
    const std::string* value = Find(name);
    return value ? *value : std::string(def);
}

}  // namespace orvia
