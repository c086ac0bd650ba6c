// The sound-device output: silent fallback without a device; with one, a short run is played
// out completely with every event on its sample.
#include "zelm2008/engine/audio/QtToneOutput.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMediaDevices>

using namespace zelm;

TEST(QtToneOutput, SilentWithoutADeviceElsePlaysARunOutSampleExactly) {
    const std::unique_ptr<ToneOutput> out = QtToneOutput::createForDefaultDevice();
    ASSERT_TRUE(out);
    auto *device = dynamic_cast<QtToneOutput *>(out.get());
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        EXPECT_NE(dynamic_cast<SilentToneOutput *>(out.get()), nullptr);
        GTEST_SKIP() << "no sound device: the silent output is used";
    }
    ASSERT_NE(device, nullptr);
    ToneImage image = ToneImage::builtIn();
    image.ApplyPitch(800);
    device->beginRun();
    device->ToneOn(image, 0);
    device->ToneOff(60);
    device->ToneOn(image, 120);
    device->ToneOff(300);
    device->endRun(400);
    EXPECT_TRUE(device->isPlaying());
    QDeadlineTimer deadline(3000);
    while (device->isPlaying() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(device->isPlaying()); // drained and let go after the run's end
    EXPECT_EQ(device->lateEvents(), 0);
}
