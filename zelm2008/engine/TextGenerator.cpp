#include "zelm2008/engine/TextGenerator.h"

#include "zelm2008/engine/Morse.h"

#include <algorithm>

namespace zelm {

TextGenerator::TextGenerator() {
    std::random_device device;
    m_engine.seed(device());
}

QByteArray TextGenerator::GenerateText(const TextRequest &request) {
    if (request.TextNumber != 0)
        m_engine.seed(static_cast<std::uint32_t>(request.TextNumber));
    const auto n = static_cast<std::uint64_t>(request.currentSet.size());
    const int kzg = std::max(request.KZG, 1);
    const int kgt = std::max(request.KGT, 1);
    const int lineGroups = kzg <= 5 ? 10 : 5;

    QByteArray text;
    text.reserve(qsizetype(kgt) * (kzg + 1) + kgt / lineGroups * 2 + 8);
    for (int g = 1; g <= kgt; ++g) {
        for (int k = 0; k < kzg; ++k) {
            // floor(N × r) with r = next / 2^32, done in integers so it is exact.
            const std::uint64_t r = m_engine();
            if (n > 0)
                text.append(request.currentSet[qsizetype((n * r) >> 32)]);
        }
        text.append(' ');
        if (g % lineGroups == 0)
            text.append("\r\n");
    }
    if (request.SendVVV) {
        const QByteArray opening = isNationalType(request.TextType) ? request.nationalOpening
                                                                    : QByteArray(LatinOpening);
        text.prepend(opening + "\r\n");
    }
    if (request.SendAR)
        text.append('~');
    return text;
}

} // namespace zelm
