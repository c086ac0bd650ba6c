// The WAV writer: renders a keying run offline into an 8-bit mono WAV file.
#pragma once

#include "zelm2008/engine/ToneOutput.h"
#include "zelm2008/engine/ToneRenderer.h"

#include <QString>

namespace zelm {

/// Collects a run and renders it at `sampleRate` (the tone image's rate for `--wav`): unsigned
/// 8-bit mono PCM, silence 128, each element starting at the image's first sample and placed at
/// the sample of its ideal time. Only one run is kept; the file lasts until the run's end.
class WavToneOutput final : public ToneOutput {
public:
    explicit WavToneOutput(int sampleRate);

    void beginRun() override;
    void ToneOn(const ToneImage &image, qint64 atMs) override;
    void ToneOff(qint64 atMs) override;
    void endRun(qint64 atMs) override;

    /// The complete WAV file (44-byte header and samples). Before `endRun` the samples run to the
    /// last event.
    QByteArray wavBytes() const;

    /// Writes `wavBytes()` to `path` atomically. Throws zelm::Error with the text
    /// "cannot write <path>" when the file cannot be written.
    void save(const QString &path) const;

private:
    int m_rate;
    struct Pending {
        bool down;
        qint64 atMs;
        ToneSamples tone;
    };
    QList<Pending> m_events;
    qint64 m_endMs = -1;
};

/// A WAV header for unsigned 8-bit mono PCM of `dataSize` bytes at `sampleRate`.
QByteArray wavHeader8BitMono(int sampleRate, quint32 dataSize);

} // namespace zelm
