#include "rezmira/report/engine/Expression.h"

#include "rezmira/Error.h"
#include "rezmira/report/engine/Value.h"

#include <cmath>

namespace rezmira::report {

DataSource *EvalContext::findSource(QStringView name) const {
    for (DataSource *source : dataSources)
        if (source->name().compare(name, Qt::CaseInsensitive) == 0)
            return source;
    return nullptr;
}

namespace {

bool isIdentStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// Recursive descent over the expression text. Function arguments are evaluated lazily only by
// IIF; everything else evaluates in place.
class Parser {
public:
    Parser(const QString &text, const EvalContext &context) : m_text(text), m_ctx(context) {}

    QVariant parseAll() {
        QVariant v = comparison(true);
        skipSpace();
        if (m_pos < m_text.size())
            fail();
        return v;
    }

private:
    [[noreturn]] void fail() const {
        throw Error(QStringLiteral("Ошибка в выражении: %1").arg(m_text));
    }

    void skipSpace() {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }
    bool peek(QLatin1StringView s) {
        skipSpace();
        return QStringView(m_text).mid(m_pos).startsWith(s);
    }
    bool accept(QLatin1StringView s) {
        if (!peek(s))
            return false;
        m_pos += s.size();
        return true;
    }

    // Skips one expression without evaluating it (the branch IIF does not take).
    void skipArgument() {
        int depth = 0;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                const qsizetype end = m_text.indexOf(c, m_pos + 1);
                if (end < 0)
                    fail();
                m_pos = end + 1;
                continue;
            }
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')')) {
                if (depth == 0)
                    return;
                --depth;
            } else if (c == QLatin1Char(',') && depth == 0)
                return;
            ++m_pos;
        }
    }

    QVariant comparison(bool evaluate) {
        QVariant left = additive(evaluate);
        static const QLatin1StringView ops[] = {QLatin1StringView("<="), QLatin1StringView(">="),
                                                QLatin1StringView("<>"), QLatin1StringView("="),
                                                QLatin1StringView("<"), QLatin1StringView(">")};
        for (QLatin1StringView op : ops) {
            if (accept(op)) {
                const QVariant right = additive(evaluate);
                if (!evaluate)
                    return {};
                return compare(left, right, op);
            }
        }
        return left;
    }

    static QVariant compare(const QVariant &a, const QVariant &b, QLatin1StringView op) {
        int c;
        if ((isNumeric(a) || a.isNull()) && (isNumeric(b) || b.isNull())) {
            const double x = toNumber(a), y = toNumber(b);
            c = x < y ? -1 : (x > y ? 1 : 0);
        } else if (isNumeric(a) || isNumeric(b)) {
            const double x = toNumber(a), y = toNumber(b);
            c = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            c = displayText(a).compare(displayText(b));
            c = c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        if (op == QLatin1StringView("="))
            return c == 0;
        if (op == QLatin1StringView("<>"))
            return c != 0;
        if (op == QLatin1StringView("<"))
            return c < 0;
        if (op == QLatin1StringView(">"))
            return c > 0;
        if (op == QLatin1StringView("<="))
            return c <= 0;
        return c >= 0;
    }

    QVariant additive(bool evaluate) {
        QVariant left = unary(evaluate);
        for (;;) {
            if (accept(QLatin1StringView("+"))) {
                const QVariant right = unary(evaluate);
                if (!evaluate)
                    continue;
                if (isNumeric(left) && isNumeric(right)) {
                    if (left.typeId() == QMetaType::Double || right.typeId() == QMetaType::Double ||
                        isDateTime(left) || isDateTime(right))
                        left = toNumber(left) + toNumber(right);
                    else
                        left = left.toLongLong() + right.toLongLong();
                } else {
                    left = displayText(left) + displayText(right);
                }
            } else if (accept(QLatin1StringView("-"))) {
                const QVariant right = unary(evaluate);
                if (evaluate)
                    left = toNumber(left) - toNumber(right);
            } else {
                return left;
            }
        }
    }

    QVariant unary(bool evaluate) {
        if (accept(QLatin1StringView("-"))) {
            const QVariant v = unary(evaluate);
            return evaluate ? QVariant(-toNumber(v)) : QVariant();
        }
        return primary(evaluate);
    }

    // <Source."alias"> or Source."alias" (the angle brackets already consumed by the caller).
    QVariant fieldReference(bool evaluate) {
        skipSpace();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isIdentChar(m_text[m_pos]))
            ++m_pos;
        const QString source = m_text.mid(start, m_pos - start);
        if (source.isEmpty() || !accept(QLatin1StringView(".")) || !accept(QLatin1StringView("\"")))
            fail();
        const qsizetype end = m_text.indexOf(QLatin1Char('"'), m_pos);
        if (end < 0)
            fail();
        const QString alias = m_text.mid(m_pos, end - m_pos);
        m_pos = end + 1;
        if (!evaluate)
            return {};
        DataSource *ds = m_ctx.findSource(source);
        if (!ds)
            throw Error(QStringLiteral("Неизвестный источник данных: %1").arg(source));
        return ds->GetValue(alias);
    }

    // Whether the text at the cursor is "<Ident." — a field reference rather than "less than".
    bool atFieldReference() const {
        qsizetype p = m_pos + 1;
        if (p >= m_text.size() || !isIdentStart(m_text[p]))
            return false;
        while (p < m_text.size() && isIdentChar(m_text[p]))
            ++p;
        return p + 1 < m_text.size() && m_text[p] == QLatin1Char('.') && m_text[p + 1] == QLatin1Char('"');
    }

    QVariant primary(bool evaluate) {
        skipSpace();
        if (m_pos >= m_text.size())
            fail();
        const QChar c = m_text[m_pos];
        if (c == QLatin1Char('(')) {
            ++m_pos;
            QVariant v = comparison(evaluate);
            if (!accept(QLatin1StringView(")")))
                fail();
            return v;
        }
        if (c == QLatin1Char('\'')) {
            // Pascal string literal: '' inside stands for one quote.
            QString s;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size())
                    fail();
                if (m_text[m_pos] == QLatin1Char('\'')) {
                    if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == QLatin1Char('\'')) {
                        s += QLatin1Char('\'');
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                s += m_text[m_pos++];
            }
            return s;
        }
        if (c == QLatin1Char('<') && atFieldReference()) {
            ++m_pos;
            QVariant v = fieldReference(evaluate);
            if (!accept(QLatin1StringView(">")))
                fail();
            return v;
        }
        if (c.isDigit()) {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && (m_text[m_pos].isDigit() || m_text[m_pos] == QLatin1Char('.')))
                ++m_pos;
            const QString number = m_text.mid(start, m_pos - start);
            bool ok = false;
            if (!number.contains(QLatin1Char('.'))) {
                const qlonglong n = number.toLongLong(&ok);
                if (ok)
                    return n;
            }
            const double d = number.toDouble(&ok);
            if (!ok)
                fail();
            return d;
        }
        if (isIdentStart(c)) {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && isIdentChar(m_text[m_pos]))
                ++m_pos;
            const QString name = m_text.mid(start, m_pos - start);
            if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('#') &&
                name.compare(QLatin1StringView("Page"), Qt::CaseInsensitive) == 0) {
                ++m_pos;
                return m_ctx.page;
            }
            if (m_pos + 1 < m_text.size() && m_text[m_pos] == QLatin1Char('.') &&
                m_text[m_pos + 1] == QLatin1Char('"')) {
                m_pos = start;
                return fieldReference(evaluate);
            }
            if (accept(QLatin1StringView("(")))
                return call(name, evaluate);
            const QString upper = name.toUpper();
            if (upper == QLatin1StringView("TRUE"))
                return true;
            if (upper == QLatin1StringView("FALSE"))
                return false;
            if (upper == QLatin1StringView("NULL"))
                return QVariant();
            if (upper == QLatin1StringView("PAGE"))
                return m_ctx.page;
            fail();
        }
        fail();
    }

    QVariant call(const QString &name, bool evaluate) {
        const QString upper = name.toUpper();
        if (upper == QLatin1StringView("IIF")) {
            const QVariant condition = comparison(evaluate);
            if (!accept(QLatin1StringView(",")))
                fail();
            const bool take = evaluate && toNumber(condition) != 0;
            QVariant result;
            if (evaluate && take)
                result = comparison(true);
            else
                skipOrParse(evaluate);
            if (!accept(QLatin1StringView(",")))
                fail();
            if (evaluate && !take)
                result = comparison(true);
            else
                skipOrParse(evaluate);
            if (!accept(QLatin1StringView(")")))
                fail();
            return result;
        }
        QVariantList args;
        if (!accept(QLatin1StringView(")"))) {
            do {
                args.append(comparison(evaluate));
            } while (accept(QLatin1StringView(",")));
            if (!accept(QLatin1StringView(")")))
                fail();
        }
        if (!evaluate)
            return {};
        if (upper == QLatin1StringView("TIMETOSTR")) {
            if (args.size() != 1)
                fail();
            return timeToStr(toNumber(args[0]));
        }
        const auto it = m_ctx.functions.constFind(upper);
        if (it == m_ctx.functions.cend())
            throw Error(QStringLiteral("Неизвестная функция: %1").arg(name));
        return (*it)(args);
    }

    void skipOrParse(bool evaluate) {
        if (evaluate)
            skipArgument();
        else
            comparison(false);
    }

    const QString &m_text;
    const EvalContext &m_ctx;
    qsizetype m_pos = 0;
};

// The end of the bracket expression that starts after `open`, or -1. Quoted strings and nested
// brackets do not end it.
qsizetype closingBracket(const QString &text, qsizetype open) {
    int depth = 0;
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype end = text.indexOf(c, i + 1);
            if (end < 0)
                return -1;
            i = end;
        } else if (c == QLatin1Char('[')) {
            ++depth;
        } else if (c == QLatin1Char(']')) {
            if (depth == 0)
                return i;
            --depth;
        }
    }
    return -1;
}

} // namespace

QVariant evaluateExpression(const QString &expression, const EvalContext &context) {
    return Parser(expression, context).parseAll();
}

QString expandMemoText(const QString &text, const EvalContext &context) {
    if (!text.contains(QLatin1Char('[')))
        return text;
    QString out;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), pos);
        if (open < 0)
            break;
        const qsizetype close = closingBracket(text, open);
        if (close < 0)
            break;
        out += QStringView(text).mid(pos, open - pos);
        out += displayText(evaluateExpression(text.mid(open + 1, close - open - 1), context));
        pos = close + 1;
    }
    out += QStringView(text).mid(pos);
    return out;
}

bool refersToPage(const QString &text) {
    return text.contains(QLatin1StringView("[Page#]"), Qt::CaseInsensitive);
}

} // namespace rezmira::report
