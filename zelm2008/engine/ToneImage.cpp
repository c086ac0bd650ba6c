#include "zelm2008/engine/ToneImage.h"

#include <QtEndian>

#include <algorithm>

namespace zelm {

namespace {

constexpr unsigned char kPeriod[ToneImage::PeriodSamples] = {
    127, 150, 171, 190, 204, 213, 216, 213, 204, 190, 171, 150,
    128, 105, 83,  64,  50,  41,  38,  41,  50,  64,  83,  105};
constexpr int kPeriods = 1129;
constexpr int kDataSize = kPeriods * ToneImage::PeriodSamples + 12; // 27108

void putLe32(QByteArray &b, quint32 v) {
    char raw[4];
    qToLittleEndian(v, raw);
    b.append(raw, 4);
}
void putLe16(QByteArray &b, quint16 v) {
    char raw[2];
    qToLittleEndian(v, raw);
    b.append(raw, 2);
}
quint32 le32(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 le16(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }

} // namespace

ToneImage ToneImage::builtIn() {
    QByteArray b;
    b.reserve(44 + kDataSize);
    b.append("RIFF");
    putLe32(b, 36 + kDataSize);
    b.append("WAVEfmt ");
    putLe32(b, 16);
    putLe16(b, 1);     // PCM
    putLe16(b, 1);     // mono
    putLe32(b, 36000); // sample rate
    putLe32(b, 36000); // byte rate
    putLe16(b, 1);     // block align
    putLe16(b, 8);     // bits per sample
    b.append("data");
    putLe32(b, kDataSize);
    for (int k = 0; k < kPeriods; ++k)
        b.append(reinterpret_cast<const char *>(kPeriod), PeriodSamples);
    b.append(reinterpret_cast<const char *>(kPeriod), 12);
    return ToneImage(std::move(b));
}

ToneImage::ToneImage(QByteArray bytes) : m_bytes(std::move(bytes)), m_samples(decode()) {}

void ToneImage::ApplyPitch(int frequency) {
    if (m_bytes.size() < 30)
        return;
    const int v = 24 * std::clamp(frequency, 500, 1500);
    m_bytes[24] = m_bytes[28] = char(v % 256);
    m_bytes[25] = m_bytes[29] = char(v / 256);
    // Only the header changed: decode again (the header walk is cheap, the sample copy shares
    // nothing with the old one but happens once per pitch change, not per element).
    m_samples = decode();
}

ToneSamples ToneImage::decode() const {
    ToneSamples out;
    const QByteArray &b = m_bytes;
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
        return out;
    int format = 0, channels = 0, bits = 0;
    quint32 rate = 0;
    bool haveFmt = false;
    qsizetype pos = 12;
    while (pos + 8 <= b.size()) {
        const QByteArray id = b.mid(pos, 4);
        const quint32 size = le32(b, pos + 4);
        const qsizetype body = pos + 8;
        const qsizetype available = std::min<qint64>(size, b.size() - body);
        if (id == "fmt " && available >= 16) {
            format = le16(b, body);
            channels = le16(b, body + 2);
            rate = le32(b, body + 4);
            bits = le16(b, body + 14);
            haveFmt = true;
        } else if (id == "data") {
            if (!haveFmt || format != 1 || (bits != 8 && bits != 16) || channels < 1 ||
                channels > 2 || rate == 0 || rate > 768000)
                return out;
            const int frame = channels * bits / 8;
            const qsizetype frames = available / frame;
            out.samples.resize(frames);
            for (qsizetype f = 0; f < frames; ++f) {
                const qsizetype at = body + f * frame;
                if (bits == 8)
                    out.samples[f] = b[at];
                else // signed 16-bit: keep the high byte, moved to unsigned
                    out.samples[f] = char(quint8(qint16(le16(b, at)) / 256 + 128));
            }
            out.sampleRate = int(rate);
            out.playable = true;
            return out;
        }
        pos = body + qsizetype(size) + (size & 1);
        if (size > quint32(b.size()))
            break;
    }
    return out;
}

} // namespace zelm
