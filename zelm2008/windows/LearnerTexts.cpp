#include "zelm2008/windows/LearnerTexts.h"

#include "zelm2008/windows/SpeedUnits.h"

#include <QStringList>

#include <cmath>

namespace zelm {

AidLanguage AidLanguageFor(int charset) {
    return charset == 204 ? AidLanguage::Russian : AidLanguage::English;
}

QString UnitInfoText(int unitMs, AidLanguage language) {
    if (unitMs <= 0)
        return QStringLiteral("—");
    const auto wpm = static_cast<long>(std::lround(ParisWordsPerMinute(unitMs)));
    const QString pattern = language == AidLanguage::Russian ? QStringLiteral("%1 мс = %2 WPM")
                                                             : QStringLiteral("%1 ms = %2 WPM");
    return pattern.arg(unitMs).arg(wpm);
}

QString ResultText(const TypingResult &result, AidLanguage language) {
    if (result.typed == 0 && result.errors == 0)
        return {};
    const int percent = std::max(0, result.percentCorrect());
    const QString pattern = language == AidLanguage::Russian
                                ? QStringLiteral("Принято %1 · ошибок %2 · верно %3 %")
                                : QStringLiteral("Typed %1 · errors %2 · %3 % correct");
    return pattern.arg(result.typed).arg(result.errors).arg(percent);
}

QString MissedText(const TypingResult &result, AidLanguage language,
                   const std::function<QString(unsigned char)> &decode, int limit) {
    if (result.missed.empty())
        return {};
    QStringList parts;
    for (const auto &[code, count] : result.missed) {
        if (parts.size() >= limit)
            break;
        parts << QStringLiteral("%1 %2").arg(decode(code)).arg(count);
    }
    const QString head =
        language == AidLanguage::Russian ? QStringLiteral("Ошибки: ") : QStringLiteral("Missed: ");
    return head + parts.join(QStringLiteral(", "));
}

} // namespace zelm
