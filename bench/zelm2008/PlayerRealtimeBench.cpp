// Real-time accuracy of the keying player on the real clock with the silent output: how late
// each key-down/up call comes against its ideal time, the CPU time a run costs, and how many
// events would miss their sample at a sound device (simulated).
// Usage: zelm_player_realtime_bench [SPEED:GROUPS ...]   (default 120:6 299:12, each < 30 s)
#include "zelm2008/engine/Clock.h"
#include "zelm2008/engine/KeyingPlayer.h"
#include "zelm2008/engine/ToneRenderer.h"
#include "zelm2008/engine/Trainer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// The sound-device output's scheduling, simulated without a device: a 48 kHz renderer pulled
// every 10 ms up to 40 ms ahead of the wall clock (the sink's buffer), run time 0 placed 150 ms
// after the start (the output's lead-in). An event that arrives after its sample was pulled is
// counted late by the renderer: 0 late events means sample-exact keying at the output.
constexpr int kRate = 48000, kLeadInMs = 150, kAheadMs = 40, kPullMs = 10;

/// Silent, but notes when each call arrives, and feeds the simulated device renderer.
class TimingOutput final : public zelm::ToneOutput {
public:
    explicit TimingOutput(const zelm::SystemClock &clock) : renderer(kRate), m_clock(clock) {
        QObject::connect(&m_pull, &QTimer::timeout, [this] { pull(); });
    }
    void beginRun() override {
        m_origin = m_clock.nowUs();
        renderer.startRun(qint64(kLeadInMs) * kRate / 1000);
        m_pull.start(kPullMs);
        pull();
    }
    void ToneOn(const zelm::ToneImage &image, qint64 atMs) override {
        note(atMs);
        renderer.keyDown(image.samples(), atMs);
    }
    void ToneOff(qint64 atMs) override {
        note(atMs);
        renderer.keyUp(atMs);
    }
    void endRun(qint64) override { m_pull.stop(); }
    std::vector<double> errorsMs;
    zelm::ToneRenderer renderer;

private:
    void note(qint64 atMs) { errorsMs.push_back((m_clock.nowUs() - m_origin - atMs * 1000) / 1000.0); }
    void pull() {
        const qint64 target = (m_clock.nowUs() - m_origin + kAheadMs * 1000) * kRate / 1000000;
        if (target > renderer.renderedSamples())
            renderer.render(target - renderer.renderedSamples());
    }
    const zelm::SystemClock &m_clock;
    qint64 m_origin = 0;
    QTimer m_pull;
};

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QStringList specs = app.arguments().mid(1);
    if (specs.isEmpty())
        specs = {QStringLiteral("120:6"), QStringLiteral("299:12")};
    QTemporaryDir dir;
    std::printf("%-6s %-6s %-6s %-6s %-9s %-9s %-9s %-9s %-8s %-8s %-s\n", "speed", "groups", "unit",
                "events", "median_ms", "p99_ms", "max_ms", "early_ms", "wall_s", "cpu_s",
                "late_at_device");
    for (const QString &spec : specs) {
        zelm::Trainer trainer(dir.path());
        trainer.startUp(zelm::currentPlatformMajor());
        trainer.settings.Speed = spec.section(':', 0, 0).toInt();
        trainer.settings.KGT = spec.section(':', 1, 1).toInt();
        trainer.settings.TextNumber = 2009;
        trainer.chooseSet(0);
        zelm::SystemClock clock;
        TimingOutput out(clock);
        zelm::KeyingPlayer player(trainer, out, clock);
        QObject::connect(&player, &zelm::KeyingPlayer::finished, &app, &QCoreApplication::quit);
        const double cpu0 = cpuSeconds();
        const qint64 wall0 = clock.nowUs();
        player.KeyText();
        app.exec();
        const double cpu = cpuSeconds() - cpu0;
        const double wall = (clock.nowUs() - wall0) / 1e6;
        const auto &e = out.errorsMs;
        std::printf("%-6d %-6d %-6d %-6zu %-9.3f %-9.3f %-9.3f %-9.3f %-8.2f %-8.3f %d\n",
                    trainer.settings.Speed, trainer.settings.KGT,
                    zelm::unitMsFor(player.runCount().B, trainer.settings.Speed), e.size(),
                    percentile(e, 0.5), percentile(e, 0.99), *std::max_element(e.begin(), e.end()),
                    *std::min_element(e.begin(), e.end()), wall, cpu, out.renderer.lateEvents());
    }
    return 0;
}
