// A small INI file in the `[section]` / `key=value` format, read tolerantly and written atomically.
// Used by the settings store for "Rezmira.ini" and "Displ.ini", and to read the version block.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace rezmira {

/// An in-memory INI file. Section and key names compare case-insensitively; values are taken
/// as written after the first "=", with surrounding blanks removed. Lines that are neither a
/// section header nor an entry are kept and written back unchanged.
class IniFile {
public:
    /// Parses INI text (UTF-8). Never fails: anything unrecognised is kept as an opaque line.
    static IniFile parse(const QByteArray &text);

    /// Reads the file at `path`. A missing or unreadable file gives an empty IniFile.
    static IniFile load(const QString &path);

    /// The value of `key` in `section`, or `fallback` when either is missing.
    QString value(const QString &section, const QString &key, const QString &fallback = {}) const;

    /// Sets `key` in `section`, adding the section (at the end) and the key (at the end of its
    /// section) when missing.
    void setValue(const QString &section, const QString &key, const QString &value);

    /// The file's text as written by save().
    QByteArray toText() const;

    /// Writes the file atomically: either the whole new file is in place or the old one is
    /// untouched. Throws rezmira::Error("Unable to write to <path>") when that is refused.
    void save(const QString &path) const;

private:
    struct Line {
        QString key;   ///< empty for an opaque line
        QString value;
        QString raw;   ///< the line as read, for opaque lines
    };
    struct Section {
        QString name;  ///< empty for the lines before the first header
        QList<Line> lines;
    };
    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;

    QList<Section> m_sections;
};

} // namespace rezmira
