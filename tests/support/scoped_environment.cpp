#include "scoped_environment.h"

#include <cstdlib>

namespace orvia::test {

ScopedEnvironment::~ScopedEnvironment() {
    // Last set first, so a variable set twice ends as it began.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second)
            ::setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            ::unsetenv(it->first.c_str());
    }
}

void ScopedEnvironment::Set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

}  // namespace orvia::test
