#include "espeakvoiceplugin.h"

#include "espeakvoice.h"

std::unique_ptr<Voice> EspeakVoicePlugin::makeVoice()
{
    return std::make_unique<EspeakVoice>();
}
