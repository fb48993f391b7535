// The one place where the program registers its telephony providers (SIP,
// type "sip"; the scripted-caller provider, type "simulated"), before the
// first line set-up builds the device list. A provider not registered here is
// unknown to the program: a "telephony.ini" section of its type is skipped.
#pragma once

namespace orvia {

// Registers every provider the program is built with. Main thread, once.
void RegisterTelephonyProviders();

}  // namespace orvia
