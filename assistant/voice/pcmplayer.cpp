#include "pcmplayer.h"

PcmPlayer::~PcmPlayer() = default;
