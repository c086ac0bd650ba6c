#include "rezmira/loading/ResultTable.h"

#include <QDate>

#include <cmath>

namespace rezmira {

ResultTable::ResultTable(QString name, QList<FieldDef> fields)
    : m_name(std::move(name)), m_fields(std::move(fields)) {}

void ResultTable::Close() {
    m_rows.clear();
    m_active = false;
}

void ResultTable::CreateDataSet() {
    m_rows.clear();
    m_nextAutoInc = 1;
    m_active = true;
}

int ResultTable::fieldIndex(QStringView name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant ResultTable::value(int row, QStringView field) const {
    const int index = fieldIndex(field);
    return index < 0 ? QVariant() : value(row, index);
}

int ResultTable::append(QVariantList values) {
    Q_ASSERT(m_active);
    values.resize(m_fields.size());
    int autoInc = 0;
    for (int i = 0; i < m_fields.size(); ++i) {
        const FieldDef &field = m_fields[i];
        QVariant &v = values[i];
        switch (field.type) {
        case FieldType::AutoInc:
            autoInc = m_nextAutoInc++;
            v = autoInc;
            break;
        case FieldType::Integer:
            v = v.toInt();
            break;
        case FieldType::WideString:
            v = v.toString().left(field.size);
            break;
        case FieldType::WideMemo:
            v = v.toString();
            break;
        case FieldType::DateTime:
            v = v.toDouble();
            break;
        case FieldType::Blob:
            v = v.toByteArray();
            break;
        }
    }
    m_rows.append(std::move(values));
    return autoInc;
}

ResultTables::ResultTables()
    : ResultsCDS(QStringLiteral("ResultsCDS"),
                 {{QStringLiteral("TESTNAME"), FieldType::WideString, 100},
                  {QStringLiteral("USERNAME"), FieldType::WideString, 255},
                  {QStringLiteral("USERNOTES"), FieldType::WideMemo},
                  {QStringLiteral("BEGDATE"), FieldType::DateTime},
                  {QStringLiteral("QUESTCOUNT"), FieldType::Integer},
                  {QStringLiteral("QANSWERED"), FieldType::Integer},
                  {QStringLiteral("SECTCOUNT"), FieldType::Integer},
                  {QStringLiteral("SANSWERED"), FieldType::Integer},
                  {QStringLiteral("TIMESPEND"), FieldType::DateTime},
                  {QStringLiteral("MAXRATING"), FieldType::Integer},
                  {QStringLiteral("RATING"), FieldType::Integer},
                  {QStringLiteral("RPERCENT"), FieldType::Integer},
                  {QStringLiteral("MARK"), FieldType::WideMemo},
                  {QStringLiteral("TESTTIME"), FieldType::DateTime}}),
      SResultsCDS(QStringLiteral("SResultsCDS"),
                  {{QStringLiteral("SRESULT_ID"), FieldType::AutoInc},
                   {QStringLiteral("SNUMBER"), FieldType::Integer},
                   {QStringLiteral("SNAME"), FieldType::WideMemo},
                   {QStringLiteral("SQUESTCOUNT"), FieldType::Integer},
                   {QStringLiteral("SQANSWERED"), FieldType::Integer},
                   {QStringLiteral("SMAXRATING"), FieldType::Integer},
                   {QStringLiteral("SRATING"), FieldType::Integer},
                   {QStringLiteral("SRPERCENT"), FieldType::Integer},
                   {QStringLiteral("SMARK"), FieldType::WideMemo}}),
      QResultsCDS(QStringLiteral("QResultsCDS"),
                  {{QStringLiteral("QRESULT_ID"), FieldType::AutoInc},
                   {QStringLiteral("SRESULTID"), FieldType::Integer},
                   {QStringLiteral("QNUMBER"), FieldType::Integer},
                   {QStringLiteral("QMAXRATING"), FieldType::Integer},
                   {QStringLiteral("QRATING"), FieldType::Integer},
                   {QStringLiteral("QRPERCENT"), FieldType::Integer},
                   {QStringLiteral("QMARK"), FieldType::WideMemo},
                   {QStringLiteral("QCONTENT"), FieldType::Blob}}) {}

void ResultTables::ResetTables() {
    for (ResultTable *table : {&ResultsCDS, &SResultsCDS, &QResultsCDS}) {
        table->Close();
        table->CreateDataSet();
    }
}

namespace datetime {

namespace {
const QDate kEpoch(1899, 12, 30);
}

std::optional<double> encodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return double(kEpoch.daysTo(QDate(year, month, day)));
}

std::optional<double> encodeTime(int hour, int minute, int second) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    return (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

Parts decode(double value) {
    // The day is the integral part towards zero; the time is the absolute fraction, as
    // the day counts before the epoch keep a positive time of day.
    double days = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - days) * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += value < 0 ? -1 : 1;
    }
    const QDate date = kEpoch.addDays(qint64(days));
    return {date.year(), date.month(), date.day(), int(ms / 3600000), int(ms / 60000 % 60),
            int(ms / 1000 % 60), int(ms % 1000)};
}

} // namespace datetime

} // namespace rezmira
