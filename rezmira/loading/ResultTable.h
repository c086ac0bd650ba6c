// The viewer's typed in-memory tables: rows in insertion order, an auto-increment field numbered
// from 1 after every re-creation, and field lookup by name for the report's data source.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace rezmira {

enum class FieldType {
    AutoInc,    ///< 32-bit integer numbered 1, 2, 3 … as rows are added (QVariant int)
    Integer,    ///< 32-bit signed integer (QVariant int)
    WideString, ///< Unicode text of at most FieldDef::size characters (QVariant QString)
    WideMemo,   ///< Unicode text of any length (QVariant QString)
    DateTime,   ///< days since 1899-12-30, time of day as the fraction (QVariant double)
    Blob,       ///< bytes of any length (QVariant QByteArray)
};

struct FieldDef {
    QString name;
    FieldType type;
    int size = 0; ///< the length limit of a WideString, unused otherwise
};

/// One in-memory table. It is closed until created; `CreateDataSet` makes it anew and empty from
/// its field definitions. It has no index: rows stay in the order they were appended.
class ResultTable {
public:
    ResultTable(QString name, QList<FieldDef> fields);

    const QString &name() const { return m_name; }
    const QList<FieldDef> &fields() const { return m_fields; }

    void Close();
    void CreateDataSet();
    bool active() const { return m_active; }

    /// Index of the field named `name` (ASCII letter case ignored), or -1.
    int fieldIndex(QStringView name) const;

    int rowCount() const { return int(m_rows.size()); }
    /// The value of one cell; `row` and `field` must be in range.
    const QVariant &value(int row, int field) const { return m_rows.at(row).at(field); }
    /// The value of a cell by field name; an invalid QVariant when there is no such field.
    QVariant value(int row, QStringView field) const;

    /// Appends and posts a row. `values` holds one value per field in field order; the value of
    /// the auto-increment field is ignored and assigned. Values are converted to the field's type
    /// and wide strings cut to their length. Returns the row's auto-increment value (0 when the
    /// table has none). The table must be active.
    int append(QVariantList values);

private:
    QString m_name;
    QList<FieldDef> m_fields;
    QList<QVariantList> m_rows;
    bool m_active = false;
    int m_nextAutoInc = 1;
};

/// The three result tables of one open, in the order they are reset.
struct ResultTables {
    ResultTables();

    ResultTable ResultsCDS;  ///< the summary: one row per open
    ResultTable SResultsCDS; ///< one row per section, key SRESULT_ID
    ResultTable QResultsCDS; ///< one row per question, link SRESULTID

    /// Closes each table and creates it anew, empty, in the order above.
    void ResetTables();
};

/// Date-time values as day counts from 1899-12-30 with the time of day as the fraction.
namespace datetime {
/// The day count of a real calendar date with year 1–9999, or nothing.
std::optional<double> encodeDate(int year, int month, int day);
/// The fraction of a day for hour 0–23, minute 0–59, second 0–59, or nothing.
std::optional<double> encodeTime(int hour, int minute, int second);
struct Parts {
    int year, month, day, hour, minute, second, msec;
};
/// Splits a day count back into its parts (milliseconds rounded to the nearest).
Parts decode(double value);
} // namespace datetime

} // namespace rezmira
