// Values that flow through report expressions: the QVariant kinds the data sources hand over,
// plus date-time values kept as day counts, and the rules for showing and comparing them.
#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

namespace rezmira::report {

/// A date-time value: days since 1899-12-30 with the time of day as the fraction. Durations are
/// times of day with a zero date part.
struct DateTimeValue {
    double days = 0;
};

/// A QVariant holding a date-time value.
QVariant makeDateTime(double days);
bool isDateTime(const QVariant &value);

/// Whether the value takes part in arithmetic and comparisons as a number (integers, floats,
/// booleans, date-times).
bool isNumeric(const QVariant &value);
/// The value as a number: date-times give their day count, text that reads as a number gives
/// that number, anything else 0.
double toNumber(const QVariant &value);

/// The value as the report shows it: null as empty text, integers in decimal, date-times as
/// "dd.MM.yyyy H:mm:ss" (the time left out at exactly midnight), byte strings as UTF-8.
QString displayText(const QVariant &value);

/// Time of day of a day count as "H:mm:ss" (the date part is ignored; seconds are rounded).
QString timeToStr(double days);

} // namespace rezmira::report

Q_DECLARE_METATYPE(rezmira::report::DateTimeValue)
