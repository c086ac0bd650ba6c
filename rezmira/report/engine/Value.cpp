#include "rezmira/report/engine/Value.h"

#include "rezmira/loading/ResultTable.h"

#include <QLocale>

#include <cmath>

namespace rezmira::report {

QVariant makeDateTime(double days) { return QVariant::fromValue(DateTimeValue{days}); }

bool isDateTime(const QVariant &value) { return value.metaType() == QMetaType::fromType<DateTimeValue>(); }

bool isNumeric(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return isDateTime(value);
    }
}

double toNumber(const QVariant &value) {
    if (isDateTime(value))
        return value.value<DateTimeValue>().days;
    if (isNumeric(value))
        return value.toDouble();
    bool ok = false;
    const QString text = value.toString().trimmed();
    double d = text.toDouble(&ok);
    if (!ok)
        d = QLocale(QLocale::Russian).toDouble(text, &ok);
    return ok ? d : 0.0;
}

QString timeToStr(double days) {
    const datetime::Parts p = datetime::decode(days);
    // The time is shown to the second: round the milliseconds like the display of a time does.
    int seconds = p.hour * 3600 + p.minute * 60 + p.second + (p.msec >= 500 ? 1 : 0);
    seconds %= 86400;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString displayText(const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return {};
    if (isDateTime(value)) {
        const double days = value.value<DateTimeValue>().days;
        const datetime::Parts p = datetime::decode(days);
        const QString date = QStringLiteral("%1.%2.%3")
                                 .arg(p.day, 2, 10, QLatin1Char('0'))
                                 .arg(p.month, 2, 10, QLatin1Char('0'))
                                 .arg(p.year, 4, 10, QLatin1Char('0'));
        if (p.hour == 0 && p.minute == 0 && p.second == 0 && p.msec == 0)
            return date;
        return date + QLatin1Char(' ') + timeToStr(days);
    }
    switch (value.typeId()) {
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QLocale(QLocale::Russian).toString(d, 'g', 15);
    }
    default:
        return value.toString();
    }
}

} // namespace rezmira::report
