#include "rezmira/report/MainQuery.h"

#include "rezmira/report/engine/Value.h"

namespace rezmira::report {

MainQuery::MainQuery(const ResultTables &tables)
    : m_tables(tables),
      m_aliases({QStringLiteral("ДатаТестирования=BEGDATE"),
                 QStringLiteral("Пользователь=USERNAME"),
                 QStringLiteral("ДопСведенияОПользователе=USERNOTES"),
                 QStringLiteral("Тест=TESTNAME"),
                 QStringLiteral("ВремениВсего=TESTTIME"),
                 QStringLiteral("ВопросовВсего=QUESTCOUNT"),
                 QStringLiteral("ВопросовПройдено=QANSWERED"),
                 QStringLiteral("СекцийВсего=SECTCOUNT"),
                 QStringLiteral("СекцийПройдено=SANSWERED"),
                 QStringLiteral("ВремениЗатрачено=TIMESPEND"),
                 QStringLiteral("БалловВсего=MAXRATING"),
                 QStringLiteral("БалловНабрано=RATING"),
                 QStringLiteral("РезультатВ%=RPERCENT"),
                 QStringLiteral("Оценка=MARK"),
                 QStringLiteral("НомерСекции=SNUMBER"),
                 QStringLiteral("НазваниеСекции=SNAME"),
                 QStringLiteral("ВопросовВсегоВСекции=SQUESTCOUNT"),
                 QStringLiteral("ВопросовПройденоВСекции=SQANSWERED"),
                 QStringLiteral("БалловВсегоЗаСекцию=SMAXRATING"),
                 QStringLiteral("БалловНабраноЗаСекцию=SRATING"),
                 QStringLiteral("РезультатВ%ЗаСекцию=SRPERCENT"),
                 QStringLiteral("ОценкаЗаСекцию=SMARK"),
                 QStringLiteral("НомерВопроса=QNUMBER"),
                 QStringLiteral("БалловВсегоЗаВопрос=QMAXRATING"),
                 QStringLiteral("БалловНабраноЗаВопрос=QRATING"),
                 QStringLiteral("РезультатВ%ЗаВопрос=QRPERCENT"),
                 QStringLiteral("ОценкаЗаВопрос=QMARK"),
                 QStringLiteral("СодержаниеВопроса=QCONTENT")}) {}

QStringList MainQuery::fieldNames() const {
    QStringList names;
    for (const QString &pair : m_aliases)
        names.append(pair.section(QLatin1Char('='), 0, 0));
    return names;
}

void MainQuery::First() {
    m_qRow = 0;
    SyncSectionRow();
}

void MainQuery::Next() {
    if (m_qRow < m_tables.QResultsCDS.rowCount())
        ++m_qRow;
    SyncSectionRow();
}

void MainQuery::Prior() {
    if (m_qRow > 0)
        --m_qRow;
    SyncSectionRow();
}

bool MainQuery::Eof() const { return m_qRow >= m_tables.QResultsCDS.rowCount(); }

void MainQuery::SyncSectionRow() {
    const ResultTable &q = m_tables.QResultsCDS;
    if (m_qRow >= q.rowCount())
        return;
    const QVariant link = q.value(m_qRow, u"SRESULTID");
    const ResultTable &s = m_tables.SResultsCDS;
    const int key = s.fieldIndex(u"SRESULT_ID");
    if (key < 0 || !link.isValid())
        return;
    for (int row = 0; row < s.rowCount(); ++row)
        if (s.value(row, key) == link) {
            m_sRow = row;
            return;
        }
}

QVariant MainQuery::GetValue(const QString &name) const {
    QString field;
    for (const QString &pair : m_aliases) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (QStringView(pair).left(eq).compare(name, Qt::CaseInsensitive) == 0) {
            field = pair.mid(eq + 1);
            break;
        }
    }
    if (field.isEmpty())
        return {};
    const std::pair<const ResultTable *, int> tables[] = {
        {&m_tables.QResultsCDS, m_qRow}, {&m_tables.SResultsCDS, m_sRow}, {&m_tables.ResultsCDS, 0}};
    for (const auto &[table, row] : tables) {
        const int index = table->fieldIndex(field);
        if (index < 0)
            continue;
        if (row < 0 || row >= table->rowCount())
            return {};
        const QVariant &v = table->value(row, index);
        if (table->fields()[index].type == FieldType::DateTime)
            return makeDateTime(v.toDouble());
        return v;
    }
    return {};
}

} // namespace rezmira::report
