// An in-memory key container store for the fuzz targets (no disk writes per input).
#pragma once

#include "rezmira/protection/KeyContainerStore.h"

#include <QHash>

namespace fuzzsupport {

class MemoryKeyContainerStore : public rezmira::KeyContainerStore {
public:
    bool open(const QString &) override { return true; }
    rezmira::cryptoapi::SecretBytes load(const QString &name) const override {
        return rezmira::cryptoapi::SecretBytes(QByteArrayView(m_pairs.value(name)));
    }
    bool save(const QString &name, QByteArrayView pair) override {
        m_pairs.insert(name, pair.toByteArray());
        return true;
    }

private:
    QHash<QString, QByteArray> m_pairs;
};

} // namespace fuzzsupport
