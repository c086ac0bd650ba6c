#include "zelm2008/engine/WavToneOutput.h"

#include "zelm2008/engine/Error.h"

#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <limits>

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

namespace {

/// Renders the collected run chunk by chunk into `sink` (header first), so a long run never has
/// to be held in memory whole.
template <typename Sink>
bool renderRun(int rate, const QList<WavToneOutput::Pending> &events, qint64 endMs, Sink &&sink) {
    ToneRenderer renderer(rate);
    renderer.startRun(0);
    qint64 lastMs = 0;
    for (const WavToneOutput::Pending &e : events) {
        if (e.down)
            renderer.keyDown(e.tone, e.atMs);
        else
            renderer.keyUp(e.atMs);
        lastMs = std::max(lastMs, e.atMs);
    }
    const qint64 total = renderer.sampleFor(endMs >= 0 ? endMs : lastMs);
    if (total > qint64(std::numeric_limits<quint32>::max()) - 36)
        return false; // beyond what a WAV header can describe
    if (!sink(wavHeader8BitMono(rate, quint32(total))))
        return false;
    constexpr qint64 kChunk = 1 << 20;
    for (qint64 done = 0; done < total; done += kChunk)
        if (!sink(renderer.render(std::min(kChunk, total - done))))
            return false;
    return true;
}

} // namespace

QByteArray WavToneOutput::wavBytes() const {
    QByteArray out;
    renderRun(m_rate, m_events, m_endMs, [&out](const QByteArray &b) {
        out += b;
        return true;
    });
    return out;
}

void WavToneOutput::save(const QString &path) const {
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    renderRun(m_rate, m_events, m_endMs,
                              [&file](const QByteArray &b) { return file.write(b) == b.size(); }) &&
                    file.commit();
    if (!ok)
        throw Error(QStringLiteral("cannot write %1").arg(path));
}

} // namespace zelm
