#include "zelm2008/engine/audio/QtToneOutput.h"

#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>

namespace zelm {

namespace {

QAudioFormat chooseFormat(const QAudioDevice &device) {
    QAudioFormat f = device.preferredFormat();
    f.setChannelCount(1);
    if (!device.isFormatSupported(f))
        f.setChannelCount(device.preferredFormat().channelCount());
    for (auto sf : {QAudioFormat::UInt8, QAudioFormat::Int16, QAudioFormat::Float, QAudioFormat::Int32}) {
        f.setSampleFormat(sf);
        if (device.isFormatSupported(f))
            return f;
    }
    return device.preferredFormat();
}

} // namespace

/// The pull-mode source: renders on demand, converts to the device format, and reports the end
/// of the run (0 bytes) once it has been rendered.
class QtToneOutput::Feed final : public QIODevice {
public:
    explicit Feed(QtToneOutput &owner) : m_owner(owner) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 16; }

protected:
    qint64 readData(char *data, qint64 maxlen) override {
        try {
            QMutexLocker lock(&m_owner.m_mutex);
            const QAudioFormat &f = m_owner.m_format;
            const int frameBytes = f.bytesPerFrame();
            if (frameBytes <= 0)
                return 0;
            ToneRenderer &r = m_owner.m_renderer;
            qint64 frames = maxlen / frameBytes;
            if (r.endSample() >= 0)
                frames = std::min(frames, r.endSample() - r.renderedSamples());
            if (frames <= 0)
                return 0;
            m_buffer.resize(frames);
            r.render(m_buffer.data(), frames);
            const int channels = f.channelCount();
            char *out = data;
            for (qint64 i = 0; i < frames; ++i) {
                const int v = static_cast<unsigned char>(m_buffer[i]) - 128;
                for (int c = 0; c < channels; ++c) {
                    switch (f.sampleFormat()) {
                    case QAudioFormat::UInt8: *out++ = char(v + 128); break;
                    case QAudioFormat::Int16: { const qint16 s = qint16(v * 256); std::memcpy(out, &s, 2); out += 2; break; }
                    case QAudioFormat::Int32: { const qint32 s = qint32(v) * (1 << 24); std::memcpy(out, &s, 4); out += 4; break; }
                    case QAudioFormat::Float: { const float s = float(v) / 128.0f; std::memcpy(out, &s, 4); out += 4; break; }
                    default: std::memset(out, 0, f.bytesPerSample()); out += f.bytesPerSample(); break;
                    }
                }
            }
            return frames * frameBytes;
        } catch (...) {
            // Nothing may escape into the audio back end.
            return 0;
        }
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QtToneOutput &m_owner;
    QByteArray m_buffer;
};

QtToneOutput::QtToneOutput(const QAudioDevice &device, QObject *parent)
    : QObject(parent), m_device(device), m_format(chooseFormat(device)),
      m_renderer(m_format.sampleRate()) {}

QtToneOutput::~QtToneOutput() {
    if (m_sink)
        m_sink->stop();
}

std::unique_ptr<ToneOutput> QtToneOutput::createForDefaultDevice() {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return std::make_unique<SilentToneOutput>();
    return std::make_unique<QtToneOutput>(device);
}

void QtToneOutput::beginRun() {
    QMutexLocker lock(&m_mutex);
    if (!m_sink) {
        m_sink = new QAudioSink(m_device, m_format, this);
        // A short device buffer keeps the lead-in short; the lead-in covers it.
        m_sink->setBufferSize(m_format.bytesForDuration(40000));
        connect(m_sink, &QAudioSink::stateChanged, this, &QtToneOutput::onStateChanged);
    }
    m_renderer.reset();
    m_renderer.startRun(m_renderer.renderedSamples() + m_format.framesForDuration(kLeadInMs * 1000));
    if (m_sink->state() == QAudio::StoppedState || m_sink->state() == QAudio::IdleState) {
        m_feed = std::make_unique<Feed>(*this);
        lock.unlock();
        m_sink->start(m_feed.get());
    }
}

void QtToneOutput::ToneOn(const ToneImage &image, qint64 atMs) {
    QMutexLocker lock(&m_mutex);
    m_renderer.keyDown(image.samples(), atMs);
}

void QtToneOutput::ToneOff(qint64 atMs) {
    QMutexLocker lock(&m_mutex);
    m_renderer.keyUp(atMs);
}

void QtToneOutput::endRun(qint64 atMs) {
    QMutexLocker lock(&m_mutex);
    m_renderer.endRun(atMs);
}

void QtToneOutput::stopNow() {
    if (m_sink)
        m_sink->stop();
    QMutexLocker lock(&m_mutex);
    m_renderer.reset();
}

void QtToneOutput::onStateChanged() {
    // Idle after the end of the run: everything up to the end has been played; let go of the
    // device until the next run.
    if (m_sink && m_sink->state() == QAudio::IdleState) {
        QMutexLocker lock(&m_mutex);
        const bool done = m_renderer.endSample() >= 0 &&
                          m_renderer.renderedSamples() >= m_renderer.endSample();
        lock.unlock();
        if (done)
            m_sink->stop();
    }
}

int QtToneOutput::lateEvents() const {
    QMutexLocker lock(&m_mutex);
    return m_renderer.lateEvents();
}

qint64 QtToneOutput::maxLateSamples() const {
    QMutexLocker lock(&m_mutex);
    return m_renderer.maxLateSamples();
}

} // namespace zelm
