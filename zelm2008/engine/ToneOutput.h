// Where key-down and key-up go: one small interface for every tone output (the sound device, the
// silent output, the WAV writer, test recorders), and the silent output itself.
#pragma once

#include "zelm2008/engine/ToneImage.h"

#include <QtGlobal>

namespace zelm {

/// A tone output. The player calls it on the UI thread: `beginRun`, then `ToneOn`/`ToneOff`
/// alternately, then `endRun`. Every time is the ideal time of the event in whole ms since the
/// run's start — not the moment of the call, which may come a little late; an output that renders
/// samples places each key-down/up at the sample of its ideal time, so element lengths do not
/// depend on timer wake-ups.
class ToneOutput {
public:
    virtual ~ToneOutput() = default;

    /// A run starts now; its time 0 is this moment.
    virtual void beginRun() {}
    /// Starts the tone at `atMs`, playing `image` (as it is now: the pitch follows ApplyPitch)
    /// from its first sample. An image that cannot be played keys silently.
    virtual void ToneOn(const ToneImage &image, qint64 atMs) = 0;
    /// Cuts the tone off at `atMs`, wherever playing stands.
    virtual void ToneOff(qint64 atMs) = 0;
    /// The run is over at `atMs` (after its last pause); the output lets what it holds play out.
    virtual void endRun(qint64 /*atMs*/) {}
    /// Stops any sound at once (program end, a player torn down mid-run).
    virtual void stopNow() {}
};

/// The output used when there is no sound device: keying is timed as usual and nothing sounds.
class SilentToneOutput final : public ToneOutput {
public:
    void ToneOn(const ToneImage &, qint64) override {}
    void ToneOff(qint64) override {}
};

} // namespace zelm
