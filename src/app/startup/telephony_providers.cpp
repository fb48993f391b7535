#include "app/startup/telephony_providers_p.h"

#include "platform/sip/sip_device.h"

namespace orvia {

void RegisterTelephonyProviders() {
    // The simulated provider registers itself with the line application.
    RegisterSipProvider();
}

}  // namespace orvia
