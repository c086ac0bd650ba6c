// Helpers of the engine tests: a recording tone output and small byte helpers.
#pragma once

#include "zelm2008/engine/Clock.h"
#include "zelm2008/engine/ToneOutput.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace zelmtest {

/// Logs every call with the ideal time it carries, the clock time of the call, and the image
/// rate at key-down.
class RecordingToneOutput final : public zelm::ToneOutput {
public:
    struct Event {
        char kind; // 'B' begin, '+' on, '-' off, 'E' end, 'S' stop
        qint64 atMs;
        qint64 clockUs;
        int rate;
    };
    explicit RecordingToneOutput(const zelm::Clock *clock = nullptr) : m_clock(clock) {}
    void beginRun() override { log('B', 0, 0); }
    void ToneOn(const zelm::ToneImage &image, qint64 atMs) override {
        log('+', atMs, image.samples().sampleRate);
    }
    void ToneOff(qint64 atMs) override { log('-', atMs, 0); }
    void endRun(qint64 atMs) override { log('E', atMs, 0); }
    void stopNow() override { log('S', 0, 0); }

    QList<Event> events;
    /// "+0 -40 +80 ..." of the on/off events, for compact comparisons.
    QString onOff() const {
        QStringList parts;
        for (const Event &e : events)
            if (e.kind == '+' || e.kind == '-')
                parts << QStringLiteral("%1%2").arg(QLatin1Char(e.kind)).arg(e.atMs);
        return parts.join(QLatin1Char(' '));
    }

private:
    void log(char kind, qint64 atMs, int rate) {
        events.append({kind, atMs, m_clock ? m_clock->nowUs() : 0, rate});
    }
    const zelm::Clock *m_clock;
};

inline QByteArray crlf(QByteArray text) { return text.replace("\n", "\r\n"); }

} // namespace zelmtest
