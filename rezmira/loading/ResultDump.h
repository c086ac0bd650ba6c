// The result tables as one JSON object (the --dump-result job).
#pragma once

#include "rezmira/loading/ResultTable.h"

#include <QByteArray>

namespace rezmira {

/// The three tables as `{"summary": {…}, "sections": [{…}], "questions": [{…}]}` in UTF-8,
/// fields in table order: integers as numbers, texts as strings, BEGDATE as
/// "YYYY-MM-DDTHH:MM:SS", TIMESPEND and TESTTIME as "HH:MM:SS", QCONTENT as base64 of its
/// bytes. "summary" is the first summary row ({} when there is none). Ends with a newline.
QByteArray dumpResultJson(const ResultTables &tables);

} // namespace rezmira
