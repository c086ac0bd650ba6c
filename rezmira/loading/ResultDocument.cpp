#include "rezmira/loading/ResultDocument.h"

#include "rezmira/Error.h"
#include "rezmira/loading/XMLTools.h"

namespace rezmira {

namespace {

// A time of day (day 0) from three integer reads under `base`, or a failure.
double readTime(XPathReader &reader, xmlNode *root, const char *hourExpr, const char *minExpr,
                const char *secExpr, const char *what) {
    const auto time = datetime::encodeTime(reader.readInteger(root, hourExpr),
                                           reader.readInteger(root, minExpr),
                                           reader.readInteger(root, secExpr));
    if (!time)
        throw Error(QStringLiteral("Invalid %1").arg(QLatin1String(what)));
    return *time;
}

} // namespace

void ReadResultDocument(ResultTables &tables, xmlNode *root) {
    XPathReader reader(root->doc);

    const QString lastName = reader.readText(root, "normalize-space(user/last-name)");
    const QString firstName = reader.readText(root, "normalize-space(user/first-name)");
    const QString patronymic = reader.readText(root, "normalize-space(user/patronymic-name)");
    const QString notes = reader.readText(root, "normalize-space(user/additional-info)");
    const QString testName = reader.readText(root, "normalize-space(test)");

    // Each separator depends only on the text before it, so a missing first name or
    // patronymic still leaves its space.
    QString userName = lastName;
    if (!userName.isEmpty())
        userName += u' ';
    userName += firstName;
    if (!userName.isEmpty())
        userName += u' ';
    userName += patronymic;

    const int day = reader.readInteger(root, "normalize-space(summary/begin/date/day)");
    const int month = reader.readInteger(root, "normalize-space(summary/begin/date/month)");
    const int year = reader.readInteger(root, "normalize-space(summary/begin/date/year)");
    const int hour = reader.readInteger(root, "normalize-space(summary/begin/time/hour)");
    const int minute = reader.readInteger(root, "normalize-space(summary/begin/time/min)");
    const int second = reader.readInteger(root, "normalize-space(summary/begin/time/sec)");
    const auto date = datetime::encodeDate(year, month, day);
    if (!date)
        throw Error(QStringLiteral("Invalid begin date"));
    const auto time = datetime::encodeTime(hour, minute, second);
    if (!time)
        throw Error(QStringLiteral("Invalid begin time"));
    const double begDate = *date + *time;

    const int sectCount = reader.readInteger(root, "normalize-space(summary/sections/count)");
    const int sectAnswered = reader.readInteger(root, "normalize-space(summary/sections/answered)");
    const int questCount = reader.readInteger(root, "normalize-space(summary/questions/count)");
    const int questAnswered = reader.readInteger(root, "normalize-space(summary/questions/answered)");

    const double timeSpend = readTime(reader, root, "normalize-space(summary/test-time/pass/hour)",
                                      "normalize-space(summary/test-time/pass/min)",
                                      "normalize-space(summary/test-time/pass/sec)", "time spent");
    const double testTime = readTime(reader, root, "normalize-space(summary/test-time/total/hour)",
                                     "normalize-space(summary/test-time/total/min)",
                                     "normalize-space(summary/test-time/total/sec)", "total time");

    const int maxRating = reader.readInteger(root, "normalize-space(summary/rating/max)");
    const int rating = reader.readInteger(root, "normalize-space(summary/rating/current)");
    const int percent = reader.readInteger(root, "normalize-space(summary/rating/in-percent)");
    const QString mark = reader.readText(root, "normalize-space(summary/mark)");

    tables.ResultsCDS.append({testName, userName, notes, begDate, questCount, questAnswered,
                              sectCount, sectAnswered, timeSpend, maxRating, rating, percent,
                              mark, testTime});

    forEachChildElement(root, "section-out",
                        [&](xmlNode *section) { AddSectionRow(tables, reader, section); });
}

int AddSectionRow(ResultTables &tables, XPathReader &reader, xmlNode *section) {
    const int number = reader.readInteger(section, "normalize-space(@number)");
    const QString name = reader.readText(section, "normalize-space(section-name)");
    const int count = reader.readInteger(section, "normalize-space(summary/questions/count)");
    const int answered = reader.readInteger(section, "normalize-space(summary/questions/answered)");
    const int maxRating = reader.readInteger(section, "normalize-space(summary/rating/max)");
    const int rating = reader.readInteger(section, "normalize-space(summary/rating/current)");
    const int percent = reader.readInteger(section, "normalize-space(summary/rating/in-percent)");
    const QString mark = reader.readText(section, "normalize-space(summary/mark)");

    const int sectionId = tables.SResultsCDS.append(
        {QVariant(), number, name, count, answered, maxRating, rating, percent, mark});

    forEachChildElement(section, "question-out", [&](xmlNode *question) {
        AddQuestionRow(tables, reader, sectionId, question);
    });
    return sectionId;
}

void AddQuestionRow(ResultTables &tables, XPathReader &reader, int sectionId, xmlNode *question) {
    const int number = reader.readInteger(question, "normalize-space(@number)");
    const int maxRating = reader.readInteger(question, "normalize-space(summary/rating/max)");
    const int rating = reader.readInteger(question, "normalize-space(summary/rating/current)");
    const int percent = reader.readInteger(question, "normalize-space(summary/rating/in-percent)");
    const QString mark = reader.readText(question, "normalize-space(summary/mark)");

    tables.QResultsCDS.append({QVariant(), sectionId, number, maxRating, rating, percent, mark,
                               questionContent(question)});
}

QByteArray questionContent(xmlNode *question) {
    XmlDocPtr doc(xmlNewDoc(BAD_CAST "1.0"));
    // The question element itself: ImportNode copies it whole, so copy name and attributes
    // here and import only the children that are not `summary`.
    xmlNode *shell = xmlNewDocNode(doc.get(), nullptr, BAD_CAST "x", nullptr);
    xmlDocSetRootElement(doc.get(), shell);
    ImportNode(question, doc.get(), shell);
    xmlNode *copy = shell->children;
    xmlUnlinkNode(copy);
    xmlDocSetRootElement(doc.get(), copy);
    xmlFreeNode(shell);
    // Remove the direct `summary` children of the copy (deeper ones stay).
    for (xmlNode *child = copy->children; child;) {
        xmlNode *next = child->next;
        if (child->type == XML_ELEMENT_NODE && xmlStrEqual(child->name, BAD_CAST "summary")) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
        child = next;
    }
    return saveXmlUtf8WithBom(doc.get());
}

} // namespace rezmira
