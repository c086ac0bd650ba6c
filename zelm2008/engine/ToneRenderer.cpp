#include "zelm2008/engine/ToneRenderer.h"

#include "zelm2008/engine/KeyingRun.h"

#include <algorithm>

namespace zelm {

ToneRenderer::ToneRenderer(int outputRate) : m_rate(std::max(outputRate, 1)) {}

void ToneRenderer::startRun(qint64 originSample) {
    m_origin = originSample;
    m_pending.clear();
    m_end = -1;
}

qint64 ToneRenderer::sampleFor(qint64 atMs) const {
    return m_origin + roundHalfEven(atMs * m_rate, 1000);
}

void ToneRenderer::schedule(Event e) {
    if (e.sample < m_rendered) {
        ++m_lateEvents;
        m_maxLate = std::max(m_maxLate, m_rendered - e.sample);
        e.sample = m_rendered;
    }
    m_pending.append(std::move(e));
}

void ToneRenderer::keyDown(const ToneSamples &tone, qint64 atMs) {
    schedule({sampleFor(atMs), true, tone});
}

void ToneRenderer::keyUp(qint64 atMs) { schedule({sampleFor(atMs), false, {}}); }

void ToneRenderer::endRun(qint64 atMs) { m_end = std::max(sampleFor(atMs), m_rendered); }

void ToneRenderer::reset() {
    m_pending.clear();
    m_on = false;
    m_end = -1;
}

char ToneRenderer::toneSample(qint64 k) const {
    const QByteArray &s = m_tone.samples;
    const qsizetype n = s.size();
    // Position in the image: k × imageRate / outputRate, kept exact in integers.
    const qint64 num = k * m_tone.sampleRate;
    qint64 idx = num / m_rate;
    const qint64 frac = num % m_rate;
    auto at = [&](qint64 i) -> int {
        if (i >= n)
            i = m_loopStart + (i - n) % (n - m_loopStart);
        return static_cast<unsigned char>(s[i]);
    };
    if (frac == 0)
        return char(at(idx));
    const qint64 v = (at(idx) * (m_rate - frac) + at(idx + 1) * frac + m_rate / 2) / m_rate;
    return char(v);
}

void ToneRenderer::render(char *out, qsizetype count) {
    for (qsizetype j = 0; j < count; ++j, ++m_rendered) {
        while (!m_pending.isEmpty() && m_pending.front().sample <= m_rendered) {
            Event e = m_pending.takeFirst();
            ++m_applied;
            m_on = e.down && e.tone.playable && !e.tone.samples.isEmpty();
            if (m_on) {
                m_tone = std::move(e.tone);
                m_onSample = e.sample;
                const qsizetype n = m_tone.samples.size();
                // Loop over the last whole periods, so the waveform runs on without a jump.
                const qsizetype loopLen = n >= ToneImage::PeriodSamples
                                              ? n / ToneImage::PeriodSamples * ToneImage::PeriodSamples
                                              : n;
                m_loopStart = n - loopLen;
            }
        }
        out[j] = m_on ? toneSample(m_rendered - m_onSample) : char(128);
    }
}

QByteArray ToneRenderer::render(qsizetype count) {
    QByteArray out(count, Qt::Uninitialized);
    render(out.data(), count);
    return out;
}

} // namespace zelm
