// The frei0r interface declarations with C linkage: the header itself does not say so.
#pragma once

extern "C" {
#include <frei0r.h>
}
