// The sound-device tone output: a pull-mode QAudioSink fed by the sample-exact tone renderer.
#pragma once

#include "zelm2008/engine/ToneOutput.h"
#include "zelm2008/engine/ToneRenderer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QIODevice>
#include <QMutex>
#include <QObject>

#include <memory>

class QAudioSink;

namespace zelm {

/// Plays keying on a sound device. The image's samples play at the rate in its header, resampled
/// to the device's rate, so the pitch follows ApplyPitch; each key-down/up lands on the device
/// sample of its ideal run time, `leadInMs` after the run's start, so timer wake-ups do not change
/// the audible element lengths. The sink starts with the run (silence first) and is stopped only
/// after it has played out everything up to the run's end, so neither the first nor the last
/// element is clipped.
class QtToneOutput final : public QObject, public ToneOutput {
    Q_OBJECT
public:
    /// Lead-in between a run's start and its time 0 on the device, ms. It must exceed the sink's
    /// buffer plus the worst timer lateness for every event to land exactly.
    static constexpr int kLeadInMs = 150;

    explicit QtToneOutput(const QAudioDevice &device, QObject *parent = nullptr);
    ~QtToneOutput() override;

    /// The output for this machine: a QtToneOutput on the default device, or a silent output
    /// when there is none (probed once, at the call).
    static std::unique_ptr<ToneOutput> createForDefaultDevice();

    void beginRun() override;
    void ToneOn(const ToneImage &image, qint64 atMs) override;
    void ToneOff(qint64 atMs) override;
    void endRun(qint64 atMs) override;
    void stopNow() override;

    /// Events that reached the renderer after their sample had been handed to the device (these
    /// sounded up to `maxLateSamples` late); 0 means the run was keyed sample-exactly.
    int lateEvents() const;
    qint64 maxLateSamples() const;
    QAudioFormat format() const { return m_format; }

private:
    class Feed;
    void onStateChanged();

    QAudioDevice m_device;
    QAudioFormat m_format;
    mutable QMutex m_mutex; // the sink may pull from its own thread
    ToneRenderer m_renderer;
    std::unique_ptr<Feed> m_feed;
    QAudioSink *m_sink = nullptr;
};

} // namespace zelm
