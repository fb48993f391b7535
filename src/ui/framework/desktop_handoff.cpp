#include "ui/framework/desktop_handoff.h"

#include "platform/process/process_desktop.h"

namespace orvia {
namespace {

class HelperHandoff : public DesktopHandoff {
public:
    bool Open(const std::string& pathOrUrl) override { return OpenWithDesktop(pathOrUrl); }
    bool Print(const std::string& path) override { return PrintWithDesktop(path); }
};

DesktopHandoff* g_handoff = nullptr;

}  // namespace

DesktopHandoff& CurrentHandoff() {
    static HelperHandoff helpers;
    return g_handoff != nullptr ? *g_handoff : helpers;
}

ScopedHandoff::ScopedHandoff(DesktopHandoff* handoff) : previous_(g_handoff) {
    g_handoff = handoff;
}

ScopedHandoff::~ScopedHandoff() {
    g_handoff = previous_;
}

}  // namespace orvia
