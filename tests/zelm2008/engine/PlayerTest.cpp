// The keying player on a virtual clock: a whole run, and Stop, speed, pause, pitch and text
// changes taking effect at the run's check points.
#include "EngineTestSupport.h"

#include "zelm2008/engine/KeyingPlayer.h"
#include "zelm2008/engine/Trainer.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/support/TestSupport.h"

using namespace zelm;
using zelmtest::RecordingToneOutput;

namespace {

struct Rig {
    QTemporaryDir dir;
    Trainer trainer{dir.path()};
    VirtualClock clock;
    RecordingToneOutput out{&clock};
    KeyingPlayer player{trainer, out, clock};

    /// Starts a run of `text`; returns the unit length (ms) of its first character.
    int start(const QByteArray &text) {
        trainer.PracticeText = text;
        EXPECT_TRUE(player.KeyText());
        return unitMsFor(player.runCount().B, trainer.settings.Speed);
    }
};

/// Records the player's signals: 'S' for started, 'F'/'X' for finished at the end / by Stop.
struct Signals {
    explicit Signals(KeyingPlayer &p) {
        QObject::connect(&p, &KeyingPlayer::started, [this] { log += 'S'; });
        QObject::connect(&p, &KeyingPlayer::finished, [this](bool stopped) { log += stopped ? 'X' : 'F'; });
    }
    QString log;
};

} // namespace

TEST(KeyingPlayer, WholeRunOnTheVirtualClockMatchesTheTimeline) {
    Rig rig;
    rig.trainer.toneImage = ToneImage::builtIn();
    Signals sig(rig.player);
    rig.start("vvv=\r\nabc de \r\n~"); // upper-cased by the run
    EXPECT_EQ(rig.trainer.PracticeText, "VVV=\r\nABC DE \r\n~");
    EXPECT_EQ(testsupport::readAll(rig.trainer.filePath(QStringLiteral("text.txt"))), "ABC DE \r\n");
    EXPECT_EQ(sig.log, "S");
    EXPECT_TRUE(rig.player.isRunning());
    EXPECT_FALSE(rig.player.KeyText()); // one run at a time
    rig.clock.runUntilIdle();
    EXPECT_EQ(sig.log, "SF");
    EXPECT_FALSE(rig.player.isRunning());

    const QList<KeyAction> expected = buildTimeline(rig.player.runCount().B, rig.trainer.keyingView());
    QList<KeyAction> tones;
    for (const KeyAction &a : expected)
        if (a.kind == KeyAction::Kind::ToneOn || a.kind == KeyAction::Kind::ToneOff)
            tones << a;
    QList<KeyAction> got;
    for (const auto &e : rig.out.events) {
        if (e.kind == '+' || e.kind == '-') {
            got << KeyAction{e.kind == '+' ? KeyAction::Kind::ToneOn : KeyAction::Kind::ToneOff, e.atMs};
            EXPECT_EQ(e.clockUs, e.atMs * 1000); // called exactly at its time
        }
    }
    EXPECT_EQ(got, tones);
    EXPECT_EQ(rig.out.events.front().kind, 'B');
    EXPECT_EQ(rig.out.events.back().kind, 'E');
    EXPECT_EQ(rig.out.events.back().atMs, expected.back().atMs);
}

TEST(KeyingPlayer, StopActsAtTheNextCheckPointWithTheToneOff) {
    Rig rig;
    Signals sig(rig.player);
    const int u = rig.start("MM MM");
    // Stop pressed in the middle of the first dash: the dash and its gap finish, no new element.
    rig.clock.advanceTo(qint64(u) * 1000);
    rig.player.requestStop();
    rig.clock.runUntilIdle();
    EXPECT_EQ(rig.out.onOff(), QStringLiteral("+0 -%1").arg(3 * u));
    EXPECT_EQ(sig.log, "SX");
    EXPECT_EQ(rig.out.events.back().kind, 'E');
    EXPECT_EQ(rig.out.events.back().atMs, 4 * u);
    // The next run clears the flag.
    rig.start("E");
    rig.clock.runUntilIdle();
    EXPECT_EQ(sig.log, "SXSF");
}

TEST(KeyingPlayer, SpeedChangeActsFromTheNextCharacter) {
    Rig rig;
    rig.trainer.settings.Speed = 100;
    const int u = rig.start("TT T");
    // During the first T, the speed doubles: the first T keeps its unit.
    rig.clock.advanceTo(1000);
    rig.trainer.settings.Speed = 200;
    rig.clock.runUntilIdle();
    const int v = unitMsFor(rig.player.runCount().B, 200);
    const qint64 t1 = 3 * u + u + 2 * u; // first T with its character gap
    const qint64 t2 = t1 + 3 * v + v + 2 * v;
    const qint64 t3 = t2 + 4 * v;        // group pause
    EXPECT_EQ(rig.out.onOff(), QStringLiteral("+0 -%1 +%2 -%3 +%4 -%5")
                                   .arg(3 * u).arg(t1).arg(t1 + 3 * v).arg(t3).arg(t3 + 3 * v));
}

TEST(KeyingPlayer, PauseChangesActWhereThePauseIsLaidDown) {
    Rig rig;
    const int u = rig.start("EI E");
    // Before I's second element the pause after a character grows to 5: I ends with it.
    rig.clock.advanceTo(qint64(4 * u) * 1000 + 1); // after E and I's first element began
    rig.trainer.settings.PMZ = 5;
    rig.trainer.settings.PMG = 9;
    rig.clock.runUntilIdle();
    const qint64 iStart = 4 * u;          // E: 1 + 1 + 2
    const qint64 iSecond = iStart + 2 * u;
    const qint64 afterI = iSecond + 2 * u + 4 * u; // the new PMZ − 1
    const qint64 eAgain = afterI + 4 * u;          // the new PMG − PMZ
    EXPECT_EQ(rig.out.onOff(), QStringLiteral("+0 -%1 +%2 -%3 +%4 -%5 +%6 -%7")
                                   .arg(u).arg(iStart).arg(iStart + u).arg(iSecond)
                                   .arg(iSecond + u).arg(eAgain).arg(eAgain + u));
}

TEST(KeyingPlayer, FrequencyChangeActsFromTheNextElement) {
    Rig rig;
    rig.trainer.toneImage = ToneImage::builtIn();
    rig.trainer.settings.Frequency = 500;
    rig.trainer.applyPitch();
    const int u = rig.start("MM");
    rig.clock.advanceTo(1000);
    rig.trainer.settings.Frequency = 1000;
    rig.trainer.applyPitch();
    rig.clock.runUntilIdle();
    QList<int> rates;
    for (const auto &e : rig.out.events)
        if (e.kind == '+')
            rates << e.rate;
    EXPECT_EQ(rates, (QList<int>{12000, 24000, 24000, 24000}));
    EXPECT_GT(u, 0);
}

TEST(KeyingPlayer, ShorterTextEndsTheRunAndANewTextGoesOnFromThePosition) {
    Rig rig;
    Signals sig(rig.player);
    const int u = rig.start("EEEEEEEE");
    rig.clock.advanceTo(1000);
    rig.trainer.PracticeText = "EE"; // shorter than the run's position soon
    rig.trainer.PracticeText.squeeze();
    rig.clock.runUntilIdle();
    EXPECT_EQ(sig.log, "SF");
    EXPECT_EQ(rig.out.onOff(), QStringLiteral("+0 -%1 +%2 -%3").arg(u).arg(4 * u).arg(5 * u));

    rig.out.events.clear();
    const int w = rig.start("EEEE");
    rig.clock.advanceTo(rig.clock.nowUs() + 1000);
    rig.trainer.PracticeText = "TTTT"; // regenerated: keying goes on with the new characters
    rig.clock.runUntilIdle();
    EXPECT_TRUE(rig.out.onOff().startsWith(QStringLiteral("+0 -%1 +%2 -%3").arg(w).arg(4 * w).arg(7 * w)));
}
