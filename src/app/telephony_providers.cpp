#include "app/telephony_providers.h"

#include "platform/simulated/simulated_device.h"
#include "platform/sip/sip_device.h"

namespace orvia {

void RegisterTelephonyProviders() {
    RegisterSipProvider();
    if (!HasTelephonyProvider("simulated"))
        RegisterSimulatedProvider();
}

}  // namespace orvia
