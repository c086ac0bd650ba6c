// The tone image, the pitch, and the sample-exact renderer behind the WAV writer and the device.
#include "zelm2008/engine/ToneImage.h"
#include "zelm2008/engine/ToneRenderer.h"
#include "zelm2008/engine/WavToneOutput.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>

using namespace zelm;

namespace {

quint32 le32(const QByteArray &b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 le16(const QByteArray &b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }

const unsigned char kPeriod[24] = {127, 150, 171, 190, 204, 213, 216, 213, 204, 190, 171, 150,
                                   128, 105, 83,  64,  50,  41,  38,  41,  50,  64,  83,  105};

} // namespace

TEST(ToneImage, BuiltInImageByteForByte) {
    const QByteArray b = ToneImage::builtIn().bytes();
    ASSERT_EQ(b.size(), 27152);
    EXPECT_EQ(b.left(4), "RIFF");
    EXPECT_EQ(le32(b, 4), 27144u);
    EXPECT_EQ(b.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(le32(b, 16), 16u);
    EXPECT_EQ(le16(b, 20), 1);
    EXPECT_EQ(le16(b, 22), 1);
    EXPECT_EQ(le32(b, 24), 36000u);
    EXPECT_EQ(le32(b, 28), 36000u);
    EXPECT_EQ(le16(b, 32), 1);
    EXPECT_EQ(le16(b, 34), 8);
    EXPECT_EQ(b.mid(36, 4), "data");
    EXPECT_EQ(le32(b, 40), 27108u);
    for (int i = 0; i < 27108; ++i)
        ASSERT_EQ(static_cast<unsigned char>(b[44 + i]), kPeriod[i % 24]) << i;
}

TEST(ToneImage, ApplyPitchRewritesOnlyTheRateBytes) {
    ToneImage img = ToneImage::builtIn();
    const QByteArray before = img.bytes();
    img.ApplyPitch(800); // 19200 = 0x4B00
    QByteArray b = img.bytes();
    EXPECT_EQ(quint8(b[24]), 0x00);
    EXPECT_EQ(quint8(b[25]), 0x4B);
    EXPECT_EQ(quint8(b[28]), 0x00);
    EXPECT_EQ(quint8(b[29]), 0x4B);
    b[24] = before[24], b[25] = before[25], b[28] = before[28], b[29] = before[29];
    EXPECT_EQ(b, before);
    EXPECT_EQ(img.samples().sampleRate, 19200);
    img.ApplyPitch(1500);
    EXPECT_EQ(img.samples().sampleRate, 36000);
}

TEST(ToneImage, ImageTakenAsFoundDecodesOrStaysSilent) {
    EXPECT_FALSE(ToneImage(QByteArray("not a wave")).samples().playable);
    EXPECT_FALSE(ToneImage(QByteArray()).samples().playable);
    ToneImage tiny(QByteArray("RIFF"));
    tiny.ApplyPitch(800); // too short: left alone, no crash
    EXPECT_EQ(tiny.bytes(), "RIFF");
    // A data size running past the buffer is cut at its end.
    QByteArray cut = ToneImage::builtIn().bytes().left(100);
    const ToneSamples s = ToneImage(cut).samples();
    EXPECT_TRUE(s.playable);
    EXPECT_EQ(s.samples.size(), 56);
    // 16-bit stereo is reduced to 8-bit mono.
    QByteArray w = wavHeader8BitMono(8000, 8);
    qToLittleEndian<quint16>(2, w.data() + 22);
    qToLittleEndian<quint16>(16, w.data() + 34);
    const qint16 frames[4] = {32767, 0, -32768, 0};
    w.append(reinterpret_cast<const char *>(frames), 8);
    const ToneSamples st = ToneImage(w).samples();
    ASSERT_TRUE(st.playable);
    EXPECT_EQ(st.samples, QByteArray("\xFF\x00", 2));
}

TEST(ToneRenderer, ElementsAreExactToTheSampleAndNeverDrift) {
    const ToneSamples tone = ToneImage::builtIn().samples(); // 36000 Hz, resampled here
    // At 22050 Hz a millisecond is 22.05 samples: positions come from cumulative time.
    ToneRenderer odd(22050);
    odd.startRun(0);
    qint64 t = 0;
    for (int i = 0; i < 200; ++i) {
        odd.keyDown(tone, t);
        odd.keyUp(t + 7);
        t += 13;
    }
    odd.endRun(t);
    const QByteArray s = odd.render(odd.sampleFor(t));
    EXPECT_EQ(s.size(), 2600 * 22050 / 1000);
    EXPECT_EQ(odd.lateEvents(), 0);
    // Each element starts at round(t × 22.05) and ends at round((t + 7) × 22.05).
    for (int i = 0; i < 200; ++i) {
        // Halves round to even (std::nearbyint in the default rounding mode): i = 10 lands on 2866.5.
        const auto on = qint64(std::nearbyint(i * 13 * 2205 / 100.0));
        const auto off = qint64(std::nearbyint((i * 13 + 7) * 2205 / 100.0));
        EXPECT_EQ(quint8(s[on]), 127) << i; // the image's first sample
        if (i) {
            EXPECT_EQ(quint8(s[on - 1]), 128) << i;
        }
        EXPECT_EQ(quint8(s[off]), 128) << i;
    }
}

TEST(ToneRenderer, ToneStartsAtFirstSampleAndLoopsWholePeriodsPastTheImage) {
    const ToneSamples tone = ToneImage::builtIn().samples();
    ToneRenderer r(36000);
    r.startRun(0);
    r.keyDown(tone, 0);
    r.keyUp(2000); // 72000 samples: far longer than the 27108 of the image
    const QByteArray s = r.render(72000 + 10);
    for (int i = 0; i < 72000; ++i)
        ASSERT_EQ(quint8(s[i]), kPeriod[i % 24]) << i;
    for (int i = 72000; i < 72010; ++i)
        EXPECT_EQ(quint8(s[i]), 128);
}

TEST(ToneRenderer, LateEventTakesEffectAtOnceAndIsCounted) {
    ToneRenderer r(1000);
    r.startRun(0);
    r.render(50);
    r.keyDown(ToneImage::builtIn().samples(), 40); // sample 40 already gone
    EXPECT_EQ(r.lateEvents(), 1);
    EXPECT_EQ(r.maxLateSamples(), 10);
    const QByteArray s = r.render(1);
    EXPECT_EQ(quint8(s[0]), 127); // the image's first sample, now
}

TEST(WavToneOutput, WritesAn8BitMonoFileAtTheGivenRate) {
    QTemporaryDir dir;
    WavToneOutput wav(19200);
    wav.beginRun();
    wav.ToneOn(ToneImage::builtIn(), 10);
    wav.ToneOff(30);
    wav.endRun(50);
    const QString path = dir.filePath(QStringLiteral("out.wav"));
    wav.save(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    ASSERT_EQ(b.size(), 44 + 960);
    EXPECT_EQ(le32(b, 24), 19200u);
    EXPECT_EQ(le16(b, 34), 8);
    EXPECT_EQ(b.mid(44, 192), QByteArray(192, char(128)));
    EXPECT_EQ(quint8(b[44 + 192]), 127);
    EXPECT_EQ(b.mid(44 + 576), QByteArray(384, char(128)));
    EXPECT_ANY_THROW(wav.save(dir.filePath(QStringLiteral("no/such/dir/out.wav"))));
}
