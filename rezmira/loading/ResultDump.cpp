#include "rezmira/loading/ResultDump.h"

namespace rezmira {

namespace {

void appendString(QByteArray &out, const QString &text) {
    out += '"';
    for (const char c : text.toUtf8()) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20) {
            static const char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

QByteArray twoDigits(int v) { return QByteArray::number(v).rightJustified(2, '0'); }

void appendValue(QByteArray &out, const FieldDef &field, const QVariant &value) {
    switch (field.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        out += QByteArray::number(value.toInt());
        break;
    case FieldType::WideString:
    case FieldType::WideMemo:
        appendString(out, value.toString());
        break;
    case FieldType::DateTime: {
        const datetime::Parts p = datetime::decode(value.toDouble());
        const QByteArray time = twoDigits(p.hour) + ':' + twoDigits(p.minute) + ':' + twoDigits(p.second);
        out += '"';
        if (field.name == QLatin1String("BEGDATE"))
            out += QByteArray::number(p.year).rightJustified(4, '0') + '-' + twoDigits(p.month) +
                   '-' + twoDigits(p.day) + 'T';
        out += time + '"';
        break;
    }
    case FieldType::Blob:
        out += '"' + value.toByteArray().toBase64() + '"';
        break;
    }
}

void appendRow(QByteArray &out, const ResultTable &table, int row) {
    out += '{';
    const QList<FieldDef> &fields = table.fields();
    for (int f = 0; f < fields.size(); ++f) {
        if (f > 0)
            out += ", ";
        appendString(out, fields[f].name);
        out += ": ";
        appendValue(out, fields[f], table.value(row, f));
    }
    out += '}';
}

void appendRows(QByteArray &out, const ResultTable &table) {
    out += '[';
    for (int row = 0; row < table.rowCount(); ++row) {
        if (row > 0)
            out += ",\n  ";
        appendRow(out, table, row);
    }
    out += ']';
}

} // namespace

QByteArray dumpResultJson(const ResultTables &tables) {
    QByteArray out("{\"summary\": ");
    if (tables.ResultsCDS.rowCount() > 0)
        appendRow(out, tables.ResultsCDS, 0);
    else
        out += "{}";
    out += ",\n \"sections\": ";
    appendRows(out, tables.SResultsCDS);
    out += ",\n \"questions\": ";
    appendRows(out, tables.QResultsCDS);
    out += "}\n";
    return out;
}

} // namespace rezmira
