// The tone image: one in-memory WAV file of a sine wave (signal.wav), whose header sample rate
// sets the pitch, and the decoding of its samples for the tone outputs.
#pragma once

#include <QByteArray>

namespace zelm {

/// The samples of a tone image, ready to play: unsigned 8-bit mono at `sampleRate` samples per
/// second (128 is silence). `playable` is false when the image is not a PCM WAV the outputs
/// understand; keying is then silent but timed as usual.
struct ToneSamples {
    bool playable = false;
    int sampleRate = 0;
    QByteArray samples;
};

/// A byte buffer holding a complete WAV file. It is taken as found (a file read from disk is not
/// checked); only `ApplyPitch` changes it afterwards.
class ToneImage {
public:
    /// The built-in image: a 44-byte header (PCM, mono, 8 bit, 36000 samples per second) and
    /// 27108 samples — one fixed 24-value sine period repeated 1129 times and its first 12 values
    /// once more — 27152 bytes in all.
    static ToneImage builtIn();

    /// Samples in one period of the built-in sine, played at 24 × f samples per second for f Hz.
    static constexpr int PeriodSamples = 24;

    ToneImage() = default;
    explicit ToneImage(QByteArray bytes);

    const QByteArray &bytes() const { return m_bytes; }

    /// Sets the pitch to `frequency` Hz: bytes 24–25 and 28–29 (the low 16 bits of the sample rate
    /// and of the byte rate) get v = 24 × f, low byte first. Bytes 26–27 and 30–31, the sizes and
    /// the samples stay. f is clamped to 500–1500; an image shorter than 30 bytes is left alone.
    void ApplyPitch(int frequency);

    /// Decodes the image for playing: walks the RIFF chunks for "fmt " and "data"; PCM with 8 or 16
    /// bits and one or two channels is understood (16-bit and stereo are reduced to 8-bit mono).
    /// A data chunk whose size runs past the buffer is cut at the buffer's end. Never throws.
    ToneSamples decode() const;

    /// The decoded samples, kept up to date with the bytes (shares its data; cheap to copy).
    const ToneSamples &samples() const { return m_samples; }

private:
    QByteArray m_bytes;
    ToneSamples m_samples;
};

} // namespace zelm
