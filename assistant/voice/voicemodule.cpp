// The voice module: espeak-ng's Italian voice played through Qt Multimedia, offered to the
// program through VoiceBackend.
#include "espeakvoice.h"
#include "voicebackend.h"

#include <type_traits>

namespace {

class EspeakBackend final : public VoiceBackend {
public:
    EspeakBackend(double pace, Listener* listener)
        : voice_(pace)
    {
        QObject::connect(&voice_, &Voice::finished, &voice_,
                         [listener] { listener->onFinished(); });
        QObject::connect(&voice_, &Voice::unavailable, &voice_,
                         [listener](Voice::Trouble trouble) { listener->onUnavailable(trouble); });
        QObject::connect(&voice_, &Voice::wordHeard, &voice_, [listener](int start, int length) {
            listener->onWordHeard(start, length);
        });
        QObject::connect(&voice_, &Voice::mouthShaped, &voice_,
                         [listener](MouthShape shape) { listener->onMouthShaped(shape); });
    }

    void prepare() override { voice_.prepare(); }
    void say(const QString& text) override { voice_.say(text); }
    void stop() override { voice_.stop(); }

private:
    EspeakVoice voice_;
};

} // namespace

extern "C" Q_DECL_EXPORT VoiceBackend* perlobin_make_voice_backend(double pace,
                                                                   VoiceBackend::Listener* listener)
{
    return new EspeakBackend(pace, listener);
}
static_assert(std::is_same_v<decltype(perlobin_make_voice_backend), MakeVoiceBackend>);
