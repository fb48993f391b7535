// Environment variables set or cleared for one test, each put back as it was
// when the object goes.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvia::test {

class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    // Sets the variable, or clears it when value is null.
    void Set(const char* name, const char* value);
    void Set(const char* name, const std::string& value) { Set(name, value.c_str()); }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace orvia::test
