#include "app/telephony_providers.h"

namespace orvia {

void RegisterTelephonyProviders() {
    // Each provider adds its registration call here.
}

}  // namespace orvia
