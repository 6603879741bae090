#include "espeakvoice.h"

#include "pacedplayer.h"
#include "sinkplayer.h"
#include "speechengine.h"
#include "spokenform.h"

#include <QMediaDevices>
#include <utility>

namespace {

// How often the played position is read: well inside a word's shortest sound.
constexpr int kFollowMs = 10;

} // namespace

EspeakVoice::EspeakVoice(double pace, PlayerFactory makePlayer,
                         std::shared_ptr<Synthesiser> synthesiser, QObject* parent)
    : Voice(parent)
    , engine_(std::move(synthesiser))
    , playerFactory_(std::move(makePlayer))
    , pace_(pace > 0 ? pace : 1.0)
    , letters_(pace_)
{
    connect(&letters_, &Voice::finished, this, &EspeakVoice::onPlayerDrained);
    follow_.setInterval(kFollowMs);
    connect(&follow_, &QTimer::timeout, this, &EspeakVoice::followPlayed);
}

void EspeakVoice::prepare()
{
    engine();
    if (!playerFactory_)
        QMediaDevices::defaultAudioOutput(); // the first call connects to the sound server
}

EspeakVoice::~EspeakVoice()
{
    stop();
}

void EspeakVoice::say(const QString& text)
{
    stop();
    text_ = text;
    sampleRate_ = 0;
    bytes_ = 0;
    synthesised_ = false;
    speaking_ = true;
    job_ = engine().synthesize(
        spokenForm(text), this,
        [this](const QByteArray& pcm, int rate, const std::vector<SpeechMark>& marks) {
            onChunk(pcm, rate, marks);
        },
        [this](bool spoken) { onSynthesised(spoken); });
}

void EspeakVoice::stop()
{
    speaking_ = false;
    if (engine_)
        engine_->cancel(job_);
    job_.reset();
    letters_.stop();
    settle();
    if (player_) {
        player_->disconnect(this);
        player_->stop();
        player_.reset();
    }
}

// The process's engine starts with the first voice that needs it: its thread and espeak-ng's
// set-up stay off the way to the program's first frame.
Synthesiser& EspeakVoice::engine()
{
    if (!engine_)
        engine_ = SpeechEngine::shared();
    return *engine_;
}

std::unique_ptr<PcmPlayer> EspeakVoice::makePlayer()
{
    if (playerFactory_)
        return playerFactory_();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        emit unavailable(Trouble::NoOutput);
    if (deviceFailed_ || device.isNull())
        return std::make_unique<PacedPlayer>(pace_);
    return std::make_unique<SinkPlayer>(device);
}

void EspeakVoice::onChunk(const QByteArray& pcm, int sampleRate,
                          const std::vector<SpeechMark>& marks)
{
    readAlong_.add(marks);
    if (pcm.isEmpty())
        return;
    if (!player_) {
        sampleRate_ = sampleRate;
        player_ = makePlayer();
        connect(player_.get(), &PcmPlayer::drained, this, &EspeakVoice::onPlayerDrained);
        connect(player_.get(), &PcmPlayer::failed, this, &EspeakVoice::onPlayerFailed);
        player_->begin(sampleRate);
        follow_.start();
    }
    bytes_ += pcm.size();
    player_->append(pcm);
    followPlayed(); // the first word is marked with its first sound, not a look later
}

void EspeakVoice::onSynthesised(bool spoken)
{
    job_.reset();
    synthesised_ = true;
    if (!spoken && !engine().hasVoice())
        emit unavailable(Trouble::NoVoice);
    if (!player_ || !spoken || bytes_ == 0) {
        if (player_) {
            player_->disconnect(this);
            player_->stop();
            player_.reset();
        }
        paceByLetters();
        return;
    }
    player_->end();
}

// The sound card refused the sound: keep the balloon up for as long as the sound would last.
void EspeakVoice::onPlayerFailed()
{
    deviceFailed_ = true;
    emit unavailable(Trouble::NoOutput);
    if (player_) {
        player_->disconnect(this);
        player_.release()->deleteLater();
    }
    auto paced = std::make_unique<PacedPlayer>(pace_);
    connect(paced.get(), &PcmPlayer::drained, this, &EspeakVoice::onPlayerDrained);
    paced->begin(sampleRate_);
    paced->append(QByteArray(bytes_, '\0'));
    player_ = std::move(paced);
    if (synthesised_)
        player_->end();
}

void EspeakVoice::paceByLetters()
{
    letters_.say(text_);
}

void EspeakVoice::onPlayerDrained()
{
    if (!speaking_)
        return;
    speaking_ = false;
    settle();
    if (player_) {
        player_->disconnect(this);
        player_.release()->deleteLater();
    }
    emit finished();
}

// The marks follow what has been heard, not what has been made: the sound card plays behind.
void EspeakVoice::followPlayed()
{
    if (!player_ || sampleRate_ <= 0)
        return;
    const qint64 sample = player_->playedUSecs() * sampleRate_ / 1'000'000;
    const SpokenWord word = readAlong_.wordAt(sample);
    if (word != heardWord_) {
        heardWord_ = word;
        emit wordHeard(word.start, word.length);
    }
    const MouthShape mouth = readAlong_.mouthAt(sample);
    if (mouth != heardMouth_) {
        heardMouth_ = mouth;
        emit mouthShaped(mouth);
    }
}

// Nothing stays marked once the words are over.
void EspeakVoice::settle()
{
    follow_.stop();
    readAlong_.clear();
    if (heardWord_.start >= 0) {
        heardWord_ = {};
        emit wordHeard(-1, 0);
    }
    if (heardMouth_ != MouthShape::Closed) {
        heardMouth_ = MouthShape::Closed;
        emit mouthShaped(MouthShape::Closed);
    }
}
