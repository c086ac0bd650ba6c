// Sample-exact keying: turns key-down/up events with ideal times into unsigned 8-bit samples at an
// output rate. Shared by the WAV writer and the sound-device output.
#pragma once

#include "zelm2008/engine/ToneImage.h"

#include <QByteArray>
#include <QList>

namespace zelm {

/// Renders a keyed tone. Run time t ms maps to output sample origin + round(t × rate / 1000)
/// (half to even), so element lengths come from cumulative time and never drift. A tone starts
/// at the image's first sample, resampled from the image's rate to the output rate (linear
/// interpolation; exact sample copies when the rates are equal); when an element outlasts the
/// image, playing goes on by looping the image's last whole 24-sample periods, so a long dash
/// never falls silent early. Silence is 128.
///
/// Events must come in time order. One that arrives after its sample was already rendered takes
/// effect at the next rendered sample and is counted as late (`lateEvents`, `maxLateSamples`).
/// Not thread-safe: the owner serialises calls.
class ToneRenderer {
public:
    explicit ToneRenderer(int outputRate);

    int outputRate() const { return m_rate; }
    /// Makes run time 0 the given output sample and forgets pending events.
    void startRun(qint64 originSample);
    qint64 sampleFor(qint64 atMs) const;

    void keyDown(const ToneSamples &tone, qint64 atMs);
    void keyUp(qint64 atMs);
    /// The run ends at `atMs`: `endSample()` becomes that sample.
    void endRun(qint64 atMs);
    /// Cuts the tone now and forgets pending events.
    void reset();

    /// Renders the next `count` samples into `out` (unsigned 8-bit).
    void render(char *out, qsizetype count);
    QByteArray render(qsizetype count);

    qint64 renderedSamples() const { return m_rendered; }
    /// The sample where the run ends, or −1 while it goes on.
    qint64 endSample() const { return m_end; }
    bool toneSounding() const { return m_on; }

    int lateEvents() const { return m_lateEvents; }
    qint64 maxLateSamples() const { return m_maxLate; }
    int eventsApplied() const { return m_applied; }

private:
    struct Event {
        qint64 sample;
        bool down;
        ToneSamples tone;
    };
    void schedule(Event e);
    char toneSample(qint64 k) const;

    int m_rate;
    qint64 m_origin = 0;
    qint64 m_rendered = 0;
    qint64 m_end = -1;
    QList<Event> m_pending; // in time order
    bool m_on = false;
    qint64 m_onSample = 0;
    ToneSamples m_tone;
    qsizetype m_loopStart = 0; // image index where looping resumes
    int m_lateEvents = 0;
    int m_applied = 0;
    qint64 m_maxLate = 0;
};

} // namespace zelm
