// The evaluator of the bracket expressions in memo texts: fields written as
// <Source."alias">, the functions IIF, TimeToStr and program-supplied user functions, [Page#],
// string and number literals, "+" and the comparisons =, <>, <, >, <=, >=.
#pragma once

#include "rezmira/report/engine/DataSource.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>

namespace rezmira::report {

/// A function the program adds to the expression language; it gets its evaluated arguments.
/// It may throw rezmira::Error, which then stops the preparation like any other fill error.
using UserFunction = std::function<QVariant(const QVariantList &arguments)>;

struct EvalContext {
    /// Data sources by name (matched ignoring letter case).
    QList<DataSource *> dataSources;
    /// User functions by name in upper case ("XMLVALUE").
    QHash<QString, UserFunction> functions;
    /// The number of the page being filled, from 1; answered by [Page#].
    int page = 1;

    DataSource *findSource(QStringView name) const;
};

/// Evaluates one expression (the text between the brackets). Throws rezmira::Error with a
/// Russian message on a syntax error, an unknown function, a wrong argument count or an unknown
/// data source. Unknown field names of a known source give null.
QVariant evaluateExpression(const QString &expression, const EvalContext &context);

/// Replaces every bracketed expression of a memo text with its shown value; text outside the
/// brackets is kept. A bracket inside a quoted string of an expression does not end it; an
/// opening bracket without a closing one is kept as text.
QString expandMemoText(const QString &text, const EvalContext &context);

/// Whether the text refers to [Page#] (such memos are filled when their page is known).
bool refersToPage(const QString &text);

} // namespace rezmira::report
