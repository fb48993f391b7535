// Wrong sign-ins to the web view are limited and logged the way wrong access
// codes on the telephone are (engine/access_code.h): once
// "wrongsigninsperhour" wrong sign-ins fell within an hour, every sign-in is
// refused for "signinlockminutes", whatever the password. The count and the
// lock live in section "web" of settings.ini ("wrongsignintimes",
// "signinlockeduntil"), so a restart does not end them; deleting
// "signinlockeduntil" does. Every refused sign-in is written to the day's
// call log ("Web 192.0.2.7 [Wrong Sign-in] admin") and reported as a program
// warning; the password tried is written nowhere.
//
// Main thread (settings.ini and the call log are written there).
#pragma once

#include <cstdint>
#include <string>

#include "engine/access_code.h"
#include "web/web_settings.h"

namespace orvia {

AttemptRecord SignInRecord();

// True while sign-in is refused after too many wrong sign-ins.
bool SignInLocked(int64_t now);

// A refused sign-in as user from client at now: counted (unless sign-in was
// locked already), logged and reported. True when sign-in is locked now.
bool NoteRefusedSignIn(const std::string& user, const std::string& client, bool whileLocked,
                       const WebSettings& settings, int64_t now);

}  // namespace orvia
