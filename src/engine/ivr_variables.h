// IVRVariables: the call variables of one engine, name/value text pairs kept
// newest first. Filled by number entry and plug-in output, read through
// template expansion. Main thread only, like its engine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvia {

class IVRVariables {
public:
    // Replaces the value of the entry whose name is equal including case;
    // otherwise puts a new entry at the front.
    void Set(std::string_view name, std::string_view value);
    // The value of the newest entry whose name is equal without regard to
    // case; null when there is none.
    const std::string* Find(std::string_view name) const;
    std::string Get(std::string_view name, std::string_view def) const;
    void Clear() { entries_.clear(); }
    std::size_t Size() const { return entries_.size(); }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace orvia
