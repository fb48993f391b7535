// The libre and librem headers, with the configuration macros their
// pkg-config files leave out. Only the SIP provider's sources include this;
// its public headers stay free of libre.
#pragma once

#ifndef HAVE_INTTYPES_H
#define HAVE_INTTYPES_H 1
#endif
#ifndef HAVE_STDBOOL_H
#define HAVE_STDBOOL_H 1
#endif

#include <re.h>
#include <rem.h>
