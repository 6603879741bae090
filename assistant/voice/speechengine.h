#pragma once

#include "synthesiser.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The one speech synthesiser of the process. espeak-ng keeps global state, so every character
// shares this engine and its single worker thread; the engine lives while anybody holds it and
// joins its thread when the last holder lets go.
class SpeechEngine : public Synthesiser {
public:
    static std::shared_ptr<SpeechEngine> shared();
    // Whether an engine (and so its thread) exists right now.
    static bool running();
    ~SpeechEngine() override;
    SpeechEngine(const SpeechEngine&) = delete;
    SpeechEngine& operator=(const SpeechEngine&) = delete;

    // Queues a text for the worker thread.
    std::shared_ptr<SpeechJob> synthesize(const QString& text, QObject* receiver,
                                          ChunkHandler onChunk, DoneHandler onDone) override;
    void cancel(const std::shared_ptr<SpeechJob>& job) override;

    // Blocks until the voice is set up (for tests and benchmarks); true when it can speak.
    bool waitUntilReady();
    // False once setting up the voice has failed (no Italian voice installed).
    bool hasVoice() override;

private:
    SpeechEngine();
    void run();
    std::shared_ptr<SpeechJob> nextJob();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<SpeechJob>> jobs_;
    bool stopping_ = false;
    bool ready_ = false;
    bool usable_ = false;
    std::thread worker_;
};
