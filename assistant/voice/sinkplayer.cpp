#include "sinkplayer.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <algorithm>

namespace {

constexpr int kFeedMs = 10;
// PulseAudio slowed playback far below speed when a stream started on a few milliseconds of
// sound; espeak-ng makes this much in a millisecond or two, so waiting for it costs nothing.
constexpr double kStartSeconds = 0.25;
// What the sound server may still hold once the sink has taken all the sound.
constexpr qint64 kTailMs = 500;

} // namespace

SinkPlayer::SinkPlayer(const QAudioDevice& device, QObject* parent)
    : PcmPlayer(parent)
    , device_(device)
{
    feeder_.setInterval(kFeedMs);
    connect(&feeder_, &QTimer::timeout, this, &SinkPlayer::feed);
}

SinkPlayer::~SinkPlayer()
{
    stop();
}

void SinkPlayer::begin(int sampleRate)
{
    stop();
    sound_.clear();
    written_ = 0;
    ended_ = false;
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    bytesPerSecond_ = qint64(sampleRate) * 2;
    startBytes_ = qint64(kStartSeconds * bytesPerSecond_);
    handedOver_.invalidate();
    sink_ = std::make_unique<QAudioSink>(device_, format);
    connect(sink_.get(), &QAudioSink::stateChanged, this, &SinkPlayer::onStateChanged);
}

void SinkPlayer::startPlaying()
{
    output_ = sink_->start();
    if (!output_ || sink_->error() != QAudio::NoError) {
        stop();
        QMetaObject::invokeMethod(this, &PcmPlayer::failed, Qt::QueuedConnection);
        return;
    }
    feeder_.start();
}

void SinkPlayer::append(const QByteArray& pcm)
{
    sound_.append(pcm);
    feed();
}

void SinkPlayer::end()
{
    ended_ = true;
    feed();
}

void SinkPlayer::stop()
{
    feeder_.stop();
    output_ = nullptr;
    if (!sink_)
        return;
    sink_->disconnect(this);
    sink_->stop();
    sink_.reset();
}

void SinkPlayer::feed()
{
    if (!sink_)
        return;
    if (!output_ && (ended_ || sound_.size() >= startBytes_))
        startPlaying();
    if (!output_)
        return;
    const qint64 room = std::min<qint64>(sink_->bytesFree(), sound_.size() - written_);
    if (room > 0) {
        const qint64 n = output_->write(sound_.constData() + written_, room);
        written_ += std::max<qint64>(n, 0);
    }
    checkDrained();
}

void SinkPlayer::onStateChanged(QAudio::State state)
{
    if (state == QAudio::StoppedState && sink_ && sink_->error() != QAudio::NoError) {
        stop();
        emit failed();
        return;
    }
    checkDrained();
}

// The sink goes idle whenever it has played all it was given; only after end() is that the end.
void SinkPlayer::checkDrained()
{
    if (ended_ && sink_ && written_ >= sound_.size() && allHeard()) {
        stop();
        emit drained();
    }
}

// On a loaded machine PulseAudio may never tell the end of a stream: the sink stays active with
// all the sound taken. Once the last of it can have been heard, it has been.
bool SinkPlayer::allHeard()
{
    if (sink_->state() == QAudio::IdleState)
        return true;
    // Within a millisecond: the sink rounds the time it reports down.
    const qint64 soundUSecs = sound_.size() * 1'000'000 / std::max<qint64>(bytesPerSecond_, 1);
    if (!handedOver_.isValid() && sink_->processedUSecs() + 1000 >= soundUSecs)
        handedOver_.start();
    const qint64 bufferedMs = sink_->bufferSize() * 1000 / std::max<qint64>(bytesPerSecond_, 1);
    return handedOver_.isValid() && handedOver_.hasExpired(bufferedMs + kTailMs);
}

qint64 SinkPlayer::playedUSecs() const
{
    return sink_ && output_ ? sink_->processedUSecs() : 0;
}
