#include "espeakvoice.h"

#include "pacedplayer.h"
#include "sinkplayer.h"
#include "speechengine.h"

#include <QMediaDevices>
#include <algorithm>
#include <utility>

namespace {

constexpr double kMsPerLetter = 70;
constexpr double kShortestMs = 1200;

} // namespace

EspeakVoice::EspeakVoice(double pace, PlayerFactory makePlayer, QObject* parent)
    : Voice(parent)
    , engine_(SpeechEngine::shared())
    , playerFactory_(std::move(makePlayer))
    , pace_(pace > 0 ? pace : 1.0)
{
    letters_.setSingleShot(true);
    connect(&letters_, &QTimer::timeout, this, &EspeakVoice::onPlayerDrained);
}

void EspeakVoice::prepare()
{
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
    job_ = engine_->synthesize(
        text, this, [this](const QByteArray& pcm, int rate) { onChunk(pcm, rate); },
        [this](bool spoken) { onSynthesised(spoken); });
}

void EspeakVoice::stop()
{
    speaking_ = false;
    engine_->cancel(job_);
    job_.reset();
    letters_.stop();
    if (player_) {
        player_->disconnect(this);
        player_->stop();
        player_.reset();
    }
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

void EspeakVoice::onChunk(const QByteArray& pcm, int sampleRate)
{
    if (!player_) {
        sampleRate_ = sampleRate;
        player_ = makePlayer();
        connect(player_.get(), &PcmPlayer::drained, this, &EspeakVoice::onPlayerDrained);
        connect(player_.get(), &PcmPlayer::failed, this, &EspeakVoice::onPlayerFailed);
        player_->begin(sampleRate);
    }
    bytes_ += pcm.size();
    player_->append(pcm);
}

void EspeakVoice::onSynthesised(bool spoken)
{
    job_.reset();
    synthesised_ = true;
    if (!spoken && !engine_->hasVoice())
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
    letters_.start(int(std::max(kShortestMs, kMsPerLetter * text_.size()) / pace_));
}

void EspeakVoice::onPlayerDrained()
{
    if (!speaking_)
        return;
    speaking_ = false;
    if (player_) {
        player_->disconnect(this);
        player_.release()->deleteLater();
    }
    emit finished();
}
