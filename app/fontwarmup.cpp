#include "fontwarmup.h"

#include <fontconfig/fontconfig.h>

// Fontconfig sets up its configuration once per process, atomically: whichever thread asks first
// does the work, and the toolkit's font database finds it ready.
FontWarmUp::FontWarmUp()
    : reader_([] { FcInit(); })
{}

FontWarmUp::~FontWarmUp()
{
    reader_.join();
}
