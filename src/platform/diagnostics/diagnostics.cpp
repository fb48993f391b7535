#include "platform/diagnostics/diagnostics.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/time/clock.h"

namespace orvia {

namespace {

struct Registry {
    std::mutex lock;
    std::vector<DiagnosticSink*> sinks;
    std::vector<std::string> secrets;
};

Registry& TheRegistry() {
    // Never destroyed: threads that outlive static destruction may still report.
    static Registry* registry = new Registry;
    return *registry;
}

std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    return line;
}

void MaskSecrets(std::string& text, const std::vector<std::string>& secrets) {
    for (const std::string& secret : secrets) {
        for (size_t at = text.find(secret); at != std::string::npos;
             at = text.find(secret, at + 4)) {
            text.replace(at, secret.size(), "****");
        }
    }
}

}  // namespace

const char* DiagnosticLevelName(DiagnosticLevel level) {
    switch (level) {
        case DiagnosticLevel::Error:
            return "error";
        case DiagnosticLevel::Warning:
            return "warning";
        case DiagnosticLevel::Info:
            break;
    }
    return "info";
}

std::string FormatDiagnostic(const DiagnosticEvent& event) {
    return std::string(DiagnosticLevelName(event.level)) + " [" + event.subsystem + "] " +
           event.text;
}

void Report(DiagnosticLevel level, std::string_view subsystem, std::string_view text) {
    DiagnosticEvent event;
    event.level = level;
    event.subsystem = OneLine(subsystem);
    event.text = OneLine(text);
    event.when = LocalNow();

    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    MaskSecrets(event.text, registry.secrets);
    if (registry.sinks.empty()) {
        std::fprintf(stderr, "orvia: %s\n", FormatDiagnostic(event).c_str());
        return;
    }
    for (DiagnosticSink* sink : registry.sinks)
        sink->Write(event);
}

void RegisterSecret(std::string_view value) {
    if (value.empty())
        return;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    if (std::find(registry.secrets.begin(), registry.secrets.end(), value) ==
        registry.secrets.end()) {
        registry.secrets.emplace_back(value);
        // Longer secrets first, so that one containing another is masked whole.
        std::sort(registry.secrets.begin(), registry.secrets.end(),
                  [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    }
}

ScopedDiagnosticSink::ScopedDiagnosticSink(DiagnosticSink& sink) : sink_(sink) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    registry.sinks.push_back(&sink_);
}

ScopedDiagnosticSink::~ScopedDiagnosticSink() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    std::erase(registry.sinks, &sink_);
}

}  // namespace orvia
