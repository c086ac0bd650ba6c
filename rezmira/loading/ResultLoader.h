// The open pipeline: one result package from a file into the three result tables.
#pragma once

#include "rezmira/loading/ProtectedContent.h"
#include "rezmira/loading/ResultTable.h"
#include "rezmira/loading/XMLTools.h"

#include <QByteArray>
#include <QString>

namespace rezmira {

class TSettingsObj;

/// Opens result packages. Holds the state of the last open: the three tables, the package bytes
/// (`FPackageStream`, kept for the pictures the report extracts later) and the parsed result
/// document. Preparing the report is left to the caller, after LoadResultFile has succeeded.
/// The collaborators must outlive the loader. Single-threaded.
class ResultLoader {
public:
    /// The largest package read into memory; a larger file is not a result file.
    static constexpr qint64 kMaxPackageSize = qint64(1024) * 1024 * 1024;

    ResultLoader(KeyProvider &keys, EnvelopeDecryptor &decryptor, TSettingsObj &settings);

    /// Opens the package `fileName`. The tables are re-created empty first, so they are empty
    /// after every failure. Throws rezmira::Error with one of these messages:
    /// - the file system's reason naming the file, when it cannot be read (package bytes empty);
    /// - "Файл не является файлом результатов, либо поврежден" when it is not a ZIP archive,
    ///   holds neither a non-empty "content.xml" nor a non-empty "scontent.xml", or its
    ///   document cannot be parsed or read (bad begin date, time out of range);
    /// - "Не удается открыть файл" when the document is protected and no key is supplied;
    /// - the key provider's error ("Ключ поврежден") when a key file cannot be loaded.
    /// A protected document is decrypted in a loop: a failed decryption empties
    /// TSettingsObj::LastKey and asks for a key again, until one works or none is given.
    /// After a failure the package bytes hold the file that failed (empty when it could not be
    /// read or is larger than kMaxPackageSize) and no document is kept.
    void LoadResultFile(const QString &fileName);

    const ResultTables &tables() const { return FTables; }
    /// The whole package of the last open (empty before the first open or when unreadable).
    const QByteArray &packageStream() const { return FPackageStream; }
    /// The parsed result document of the last successful open, or nullptr.
    xmlDoc *resultDocument() const { return FResultDocument.get(); }

    /// Lowers the inflate cap of the package's entries (tests and benchmarks).
    void setMaxEntrySize(qint64 bytes) { FMaxEntrySize = bytes; }

private:
    void readPackage(const QString &fileName);
    QByteArray decryptProtected(const QByteArray &envelope);

    KeyProvider &FKeys;
    EnvelopeDecryptor &FDecryptor;
    TSettingsObj &FSettings;
    ResultTables FTables;
    QByteArray FPackageStream;
    XmlDocPtr FResultDocument;
    qint64 FMaxEntrySize;
};

} // namespace rezmira
