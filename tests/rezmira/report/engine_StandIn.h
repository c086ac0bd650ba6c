// Test helpers of the report tests: a stand-in stretchable object made of fixed-height lines,
// and a builder of small result tables.
#pragma once

#include "rezmira/loading/ResultTable.h"
#include "rezmira/report/engine/StretchObject.h"

#include <QDataStream>
#include <QIODevice>
#include <QPainter>
#include <QStringList>

#include <cmath>

namespace reporttest {

/// Content is text, one line per '\n'-separated piece, each kLine units high, plus 5 units.
class LinesObject : public rezmira::report::StretchObject {
public:
    static constexpr double kLine = 20;

    void FetchData(const QVariant &value) override {
        m_content = value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8();
        m_offset = m_partHeight = 0;
    }
    double CalcHeight(double) override { return lines() * kLine + 5; }
    void ResetParts() override { m_offset = m_partHeight = 0; }
    double PaintNextPart(double, double height) override {
        m_offset += m_partHeight;
        const int fit = int(std::floor(height / kLine));
        const int left = std::max(0, lines() - m_offset / int(kLine));
        m_partHeight = int(std::min(fit, left) * kLine);
        return height - m_partHeight;
    }
    QByteArray WriteState() const override {
        QByteArray out;
        QDataStream s(&out, QIODevice::WriteOnly);
        s << qint32(m_offset) << qint32(m_partHeight) << m_content;
        return out;
    }
    void ReadState(const QByteArray &state) override {
        QDataStream s(state);
        qint32 o = 0, h = 0;
        s >> o >> h >> m_content;
        m_offset = o;
        m_partHeight = h;
    }
    void Paint(QPainter &painter, const QRectF &rect) override {
        painter.fillRect(rect, Qt::white);
        QFont font(QStringLiteral("Liberation Serif"));
        font.setPixelSize(12);
        painter.setFont(font);
        const QStringList all = QString::fromUtf8(m_content).split(QLatin1Char('\n'));
        for (int i = m_offset / int(kLine), y = 0; i < all.size() && (y + 1) * kLine <= rect.height(); ++i, ++y)
            painter.drawText(QPointF(rect.left(), rect.top() + (y + 1) * kLine - 5), all[i]);
    }

    int lines() const { return m_content.isEmpty() ? 0 : int(m_content.count('\n')) + 1; }
    static int offsetOf(const QByteArray &state) {
        QDataStream s(state);
        qint32 o = 0;
        s >> o;
        return o;
    }

private:
    QByteArray m_content;
    int m_offset = 0;
    int m_partHeight = 0;
};

inline rezmira::report::StretchObjectFactory linesFactory() {
    return [](const rezmira::report::StretchObjectSpec &) { return std::make_unique<LinesObject>(); };
}

struct Question {
    int section; // index into the sections list, from 0
    int number;
    int maxRating = 1;
    int rating = 1;
    QByteArray content = "<q/>";
};
struct Section {
    int number;
    QString name;
    int questionCount = 1, answered = 1, maxRating = 1, rating = 1;
};

/// Tables of one result: the summary with the given counts, the sections and the questions.
inline void fillTables(rezmira::ResultTables &t, const QList<Section> &sections, const QList<Question> &questions,
                       int sectCount, int sAnswered, int qAnswered, double testTime = 0, double timeSpend = 0.01) {
    t.ResetTables();
    // TESTNAME USERNAME USERNOTES BEGDATE QUESTCOUNT QANSWERED SECTCOUNT SANSWERED TIMESPEND MAXRATING
    // RATING RPERCENT MARK TESTTIME
    t.ResultsCDS.append({QStringLiteral("Тест по физике"), QStringLiteral("Иванов Иван"), QStringLiteral("группа 5"),
                         45000.5, int(questions.size()), qAnswered, sectCount, sAnswered, timeSpend, 10, 7, 70,
                         QStringLiteral("хорошо"), testTime});
    QList<int> ids;
    for (const Section &s : sections)
        ids.append(t.SResultsCDS.append({0, s.number, s.name, s.questionCount, s.answered, s.maxRating, s.rating, 50,
                                         QStringLiteral("оценка")}));
    for (const Question &q : questions)
        t.QResultsCDS.append({0, ids[q.section], q.number, q.maxRating, q.rating, 0, QString(), q.content});
}

} // namespace reporttest
