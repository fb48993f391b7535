// Collects the program events reported while it lives, for tests that check
// that a condition is reported (and that no secret is).
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/diagnostics/diagnostics.h"

namespace orvia {

class DiagnosticsCapture : public DiagnosticSink {
public:
    DiagnosticsCapture() : scope_(*this) {}

    void Write(const DiagnosticEvent& event) override {
        std::lock_guard<std::mutex> hold(lock_);
        events_.push_back(event);
    }

    std::vector<DiagnosticEvent> Events() const {
        std::lock_guard<std::mutex> hold(lock_);
        return events_;
    }

    // True when an event of this level and subsystem has every fragment in its text.
    bool Has(DiagnosticLevel level, std::string_view subsystem,
             std::initializer_list<std::string_view> fragments) const {
        for (const DiagnosticEvent& event : Events()) {
            if (event.level != level || event.subsystem != subsystem)
                continue;
            bool all = true;
            for (std::string_view fragment : fragments) {
                if (event.text.find(fragment) == std::string::npos)
                    all = false;
            }
            if (all)
                return true;
        }
        return false;
    }

    // Every event as one text, for failure messages and "contains no secret" checks.
    std::string AllText() const {
        std::string all;
        for (const DiagnosticEvent& event : Events())
            all += FormatDiagnostic(event) + "\n";
        return all;
    }

private:
    mutable std::mutex lock_;
    std::vector<DiagnosticEvent> events_;
    ScopedDiagnosticSink scope_;
};

}  // namespace orvia
