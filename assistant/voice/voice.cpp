#include "voice.h"

Voice::~Voice() = default;
