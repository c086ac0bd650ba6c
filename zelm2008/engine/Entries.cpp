#include "zelm2008/engine/Entries.h"

#include <limits>

namespace zelm {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

} // namespace

QList<QByteArray> readEntries(const QByteArray &bytes) {
    QList<QByteArray> entries;
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    auto skipLineEnd = [&] {
        if (i < n && bytes[i] == '\r')
            ++i;
        if (i < n && bytes[i] == '\n')
            ++i;
    };
    while (i < n) {
        while (i < n && isBlank(bytes[i]))
            ++i;
        if (i >= n) {
            // Trailing blanks on the last, unterminated line still make an (empty) entry.
            entries.append(QByteArray());
            break;
        }
        if (bytes[i] == '"') {
            QByteArray entry;
            ++i;
            while (i < n && !isLineEnd(bytes[i])) {
                if (bytes[i] == '"') {
                    if (i + 1 < n && bytes[i + 1] == '"') {
                        entry.append('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                entry.append(bytes[i++]);
            }
            entries.append(entry);
            while (i < n && bytes[i] != ',' && !isLineEnd(bytes[i]))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && bytes[i] != ',' && !isLineEnd(bytes[i]))
                ++i;
            entries.append(bytes.mid(start, i - start).trimmed());
        }
        if (i < n && bytes[i] == ',') {
            ++i;
            // A comma at the end of a line ends that line as well.
            qsizetype j = i;
            while (j < n && isBlank(bytes[j]))
                ++j;
            if (j >= n || isLineEnd(bytes[j])) {
                i = j;
                skipLineEnd();
            }
        } else {
            skipLineEnd();
        }
    }
    return entries;
}

std::optional<qint64> entryNumber(const QByteArray &entry) {
    qsizetype i = 0;
    while (i < entry.size() && isBlank(entry[i]))
        ++i;
    bool negative = false;
    if (i < entry.size() && (entry[i] == '-' || entry[i] == '+'))
        negative = entry[i++] == '-';
    if (i >= entry.size() || entry[i] < '0' || entry[i] > '9')
        return std::nullopt;
    qint64 value = 0;
    for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9'; ++i) {
        value = value * 10 + (entry[i] - '0');
        if (value > std::numeric_limits<qint32>::max() + qint64(1))
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return value;
}

QByteArray formatEntry(const QByteArray &text) {
    QByteArray t = text;
    t.replace('\r', ' ').replace('\n', ' ');
    const bool needsQuotes = t.contains(',') || t.contains('"') ||
                             (!t.isEmpty() && (isBlank(t.front()) || isBlank(t.back())));
    if (!needsQuotes)
        return t;
    t.replace("\"", "\"\"");
    return '"' + t + '"';
}

QByteArray joinLines(const QList<QByteArray> &lines) {
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

} // namespace zelm
