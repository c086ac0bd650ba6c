// MainQuery: the report's one flat data source over the three result tables — a row per
// question, the question's section and the summary answering on every row under Russian aliases.
#pragma once

#include "rezmira/loading/ResultTable.h"
#include "rezmira/report/engine/DataSource.h"

#include <QStringList>

namespace rezmira::report {

class MainQuery : public DataSource {
public:
    /// The tables must outlive the source; it reads them as they are at each call.
    explicit MainQuery(const ResultTables &tables);

    QString name() const override { return QStringLiteral("MainQuery"); }

    /// QResultsCDS to its first row, then SyncSectionRow.
    void First() override;
    /// QResultsCDS to its next row (past the last one: Eof), then SyncSectionRow.
    void Next() override;
    /// QResultsCDS to its previous row (from past the end: the last row; never before the
    /// first), then SyncSectionRow.
    void Prior() override;
    /// Whether QResultsCDS is past its last row (at once for an empty table).
    bool Eof() const override;

    /// The value of the field whose alias is `name` (letter case ignored), looked up in
    /// QResultsCDS, then SResultsCDS, then ResultsCDS on their current rows. Values keep their
    /// type: integers as int, text as QString, BEGDATE/TESTTIME/TIMESPEND as date-time values,
    /// QCONTENT as the stored bytes. An unknown alias, a field of no table or a table without a
    /// current row gives null.
    QVariant GetValue(const QString &name) const override;

    /// Moves SResultsCDS to the section of the current question (SRESULT_ID = SRESULTID); with
    /// no such section, or no current question, it stays where it is.
    void SyncSectionRow();

    /// The 28 "alias=FIELD" pairs in order.
    const QStringList &FFieldAliases() const { return m_aliases; }
    /// The alias names in order: the field list the report sees.
    QStringList fieldNames() const;

    int questionRow() const { return m_qRow; }
    int sectionRow() const { return m_sRow; }

private:
    const ResultTables &m_tables;
    QStringList m_aliases;
    int m_qRow = 0;
    int m_sRow = 0;
};

} // namespace rezmira::report
