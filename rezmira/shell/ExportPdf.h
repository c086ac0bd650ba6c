// The headless job --export-pdf: the protocol report of an opened result written as PDF.
#pragma once

#include "rezmira/loading/ResultTable.h"

#include <QByteArray>
#include <QString>

class QTextStream;

namespace rezmira {

/// Prepares the protocol report of the opened result (`tables`, with `package` the bytes of the
/// package, for its pictures) with the style sheets of `stylesPath`, and writes it to `output`
/// as PDF. Answers 0 on success. When the preparation collects errors, their box text
/// ("Были обнаружены следующие ошибки:" and the messages, one per line) goes to `err`, no file
/// is written and 1 is answered; a failed write puts its message on `err` and answers 1.
int exportProtocolPdf(const ResultTables &tables, const QByteArray &package, const QString &stylesPath,
                      const QString &output, QTextStream &err);

/// The styles folder of the headless jobs: "XSLStyles" beside the program, with a final slash.
QString defaultStylesPath();

} // namespace rezmira
