#include "zelm2008/engine/WavToneOutput.h"

#include "zelm2008/engine/Error.h"

#include <QSaveFile>
#include <QtEndian>

namespace zelm {

QByteArray wavHeader8BitMono(int sampleRate, quint32 dataSize) {
    QByteArray h(44, '\0');
    char *p = h.data();
    memcpy(p, "RIFF", 4);
    qToLittleEndian<quint32>(36 + dataSize, p + 4);
    memcpy(p + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, p + 16);
    qToLittleEndian<quint16>(1, p + 20);
    qToLittleEndian<quint16>(1, p + 22);
    qToLittleEndian<quint32>(quint32(sampleRate), p + 24);
    qToLittleEndian<quint32>(quint32(sampleRate), p + 28);
    qToLittleEndian<quint16>(1, p + 32);
    qToLittleEndian<quint16>(8, p + 34);
    memcpy(p + 36, "data", 4);
    qToLittleEndian<quint32>(dataSize, p + 40);
    return h;
}

WavToneOutput::WavToneOutput(int sampleRate) : m_rate(sampleRate) {}

void WavToneOutput::beginRun() {
    m_events.clear();
    m_endMs = -1;
}

void WavToneOutput::ToneOn(const ToneImage &image, qint64 atMs) {
    m_events.append({true, atMs, image.samples()});
}

void WavToneOutput::ToneOff(qint64 atMs) { m_events.append({false, atMs, {}}); }

void WavToneOutput::endRun(qint64 atMs) { m_endMs = atMs; }

QByteArray WavToneOutput::wavBytes() const {
    ToneRenderer renderer(m_rate);
    renderer.startRun(0);
    qint64 lastMs = 0;
    for (const Pending &e : m_events) {
        if (e.down)
            renderer.keyDown(e.tone, e.atMs);
        else
            renderer.keyUp(e.atMs);
        lastMs = std::max(lastMs, e.atMs);
    }
    const qint64 end = renderer.sampleFor(m_endMs >= 0 ? m_endMs : lastMs);
    const QByteArray samples = renderer.render(end);
    return wavHeader8BitMono(m_rate, quint32(samples.size())) + samples;
}

void WavToneOutput::save(const QString &path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(wavBytes()) < 0 || !file.commit())
        throw Error(QStringLiteral("cannot write %1").arg(path));
}

} // namespace zelm
