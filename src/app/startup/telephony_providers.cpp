#include "app/startup/telephony_providers_p.h"

#include "platform/scripted/scripted_device.h"
#include "platform/sip/sip_device.h"

namespace orvia {

void RegisterTelephonyProviders() {
    RegisterSipProvider();
    RegisterScriptedProvider();
}

}  // namespace orvia
