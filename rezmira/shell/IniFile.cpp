// A small INI file in the `[section]` / `key=value` format, read tolerantly and written atomically.
#include "rezmira/shell/IniFile.h"

#include "rezmira/Error.h"

#include <QFile>
#include <QSaveFile>

namespace rezmira {

IniFile IniFile::parse(const QByteArray &text) {
    IniFile ini;
    ini.m_sections.append(Section{});
    const QString all = QString::fromUtf8(text);
    for (QString line : all.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            ini.m_sections.append(Section{trimmed.mid(1, trimmed.size() - 2).trimmed(), {}});
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !trimmed.startsWith(QLatin1Char(';')) && !line.left(eq).trimmed().isEmpty())
            ini.m_sections.last().lines.append(
                Line{line.left(eq).trimmed(), line.mid(eq + 1).trimmed(), {}});
        else
            ini.m_sections.last().lines.append(Line{{}, {}, line});
    }
    // A final newline leaves one empty opaque line behind; it is written again by toText().
    Section &tail = ini.m_sections.last();
    if (!tail.lines.isEmpty() && tail.lines.last().key.isEmpty() && tail.lines.last().raw.isEmpty())
        tail.lines.removeLast();
    return ini;
}

IniFile IniFile::load(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return parse({});
    return parse(file.readAll());
}

IniFile::Section *IniFile::findSection(const QString &name) {
    for (Section &s : m_sections)
        if (!s.name.isEmpty() && s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

const IniFile::Section *IniFile::findSection(const QString &name) const {
    return const_cast<IniFile *>(this)->findSection(name);
}

QString IniFile::value(const QString &section, const QString &key, const QString &fallback) const {
    if (const Section *s = findSection(section))
        for (const Line &l : s->lines)
            if (!l.key.isEmpty() && l.key.compare(key, Qt::CaseInsensitive) == 0)
                return l.value;
    return fallback;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value) {
    Section *s = findSection(section);
    if (!s) {
        if (m_sections.isEmpty())
            m_sections.append(Section{});
        m_sections.append(Section{section, {}});
        s = &m_sections.last();
    }
    for (Line &l : s->lines)
        if (!l.key.isEmpty() && l.key.compare(key, Qt::CaseInsensitive) == 0) {
            l.value = value;
            return;
        }
    // New keys go after the section's last entry, before any trailing blank lines.
    qsizetype at = s->lines.size();
    while (at > 0 && s->lines[at - 1].key.isEmpty() && s->lines[at - 1].raw.trimmed().isEmpty())
        --at;
    s->lines.insert(at, Line{key, value, {}});
}

QByteArray IniFile::toText() const {
    QString out;
    for (const Section &s : m_sections) {
        if (!s.name.isEmpty())
            out += QLatin1Char('[') + s.name + QLatin1String("]\n");
        for (const Line &l : s.lines)
            out += (l.key.isEmpty() ? l.raw : l.key + QLatin1Char('=') + l.value) +
                   QLatin1Char('\n');
    }
    return out.toUtf8();
}

void IniFile::save(const QString &path) const {
    QSaveFile file(path);
    const QByteArray text = toText();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw Error(QStringLiteral("Unable to write to %1").arg(path));
}

} // namespace rezmira
