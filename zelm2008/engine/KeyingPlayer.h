// The keying player: walks a run's timeline on the event loop, sending key-down/up to a tone
// output, and picks up Stop and changed settings at the run's check points.
#pragma once

#include "zelm2008/engine/Clock.h"
#include "zelm2008/engine/KeyingRun.h"
#include "zelm2008/engine/ToneOutput.h"

#include <QObject>

#include <memory>

namespace zelm {

class Trainer;

/// Plays keying runs of the trainer's practice text. It never blocks: each wait is a call-back of
/// the clock, so the windows stay responsive and their handlers run between the steps of a run.
///
/// At each check point — before each character and before each element — it reads
/// `Trainer::StopRequested` (set: the run ends there, with the tone off) and, through
/// `Trainer::keyingView()`, the current `PracticeText`, `Speed`, `PMZ`, `PMG` and `TextType`;
/// `ToneOn` plays `Trainer::toneImage` as it is at that moment, so a frequency change
/// (`Trainer::applyPitch`) acts from the next element. Timing is the timeline's: each action is
/// scheduled at run start + its ideal time, so late wake-ups never accumulate.
///
/// The trainer, output and clock must outlive the player. UI thread only.
class KeyingPlayer : public QObject {
    Q_OBJECT
public:
    KeyingPlayer(Trainer &trainer, ToneOutput &output, Clock &clock, QObject *parent = nullptr);
    ~KeyingPlayer() override;

    /// `KeyText`: runs `Trainer::prepareKeyText()` (upper-case, count, text.txt, B), emits
    /// `started`, and begins keying at once. Returns false (and does nothing) while a run goes on.
    bool KeyText();
    /// Sets `Trainer::StopRequested`; the run ends at its next check point.
    void requestStop();

    bool isRunning() const { return m_running; }
    /// The counting of the current (or last) run: s, e, TotalUnits, count, B.
    const RunCount &runCount() const { return m_count; }
    /// The 1-based position of the character being keyed.
    int position() const { return m_run ? m_run->position() : 0; }
    /// The clock time (µs) of the current run's time 0.
    qint64 runOriginUs() const { return m_originUs; }

signals:
    /// A run has begun: the window disables Start, enables Stop, shows the upper-cased text and
    /// gives the input window the focus when it is open.
    void started();
    /// The run is over (text done or Stop found): the window enables Start and disables Stop.
    /// `stopped` tells which.
    void finished(bool stopped);

private:
    void onPoint();
    void runDue();
    void scheduleNext();
    void finish(bool stopped, qint64 atMs);

    Trainer &m_trainer;
    ToneOutput &m_output;
    Clock &m_clock;
    RunCount m_count;
    std::unique_ptr<KeyingRun> m_run;
    QList<KeyAction> m_pending;
    qint64 m_originUs = 0;
    bool m_running = false;
};

} // namespace zelm
