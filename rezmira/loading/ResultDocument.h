// Turns a parsed result document into the three result tables.
#pragma once

#include "rezmira/loading/ResultTable.h"

#include <libxml/tree.h>

namespace rezmira {

class XPathReader;

/// Fills `tables` (created and empty) from the document element `root` of a result document:
/// one summary row, then per `section-out` child of the root a section row followed by the
/// question rows of its `question-out` children, in document order. Missing elements and
/// unreadable numbers give empty text or 0. Throws rezmira::Error (English reason) when the
/// begin date is not a real date with year 1–9999 or one of the three times has an hour
/// outside 0–23, a minute or second outside 0–59; that check comes before any row is added,
/// so the tables stay empty.
void ReadResultDocument(ResultTables &tables, xmlNode *root);

/// Adds the row of one `section-out` element and the rows of its questions; returns the
/// section row's SRESULT_ID.
int AddSectionRow(ResultTables &tables, XPathReader &reader, xmlNode *section);

/// Adds the row of one `question-out` element of the section row `sectionId`. QCONTENT holds
/// the question as its own document: UTF-8 with a byte-order mark and declaration, one element
/// copying `question` (name, attributes, all children but direct `summary` elements, by
/// ImportNode).
void AddQuestionRow(ResultTables &tables, XPathReader &reader, int sectionId, xmlNode *question);

/// The QCONTENT bytes of one `question-out` element (see AddQuestionRow).
QByteArray questionContent(xmlNode *question);

} // namespace rezmira
