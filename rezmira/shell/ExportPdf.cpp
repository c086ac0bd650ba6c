#include "rezmira/shell/ExportPdf.h"

#include "rezmira/Error.h"
#include "rezmira/report/HtmlViewObject.h"
#include "rezmira/report/ProtocolReport.h"
#include "rezmira/report/engine/PdfExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace rezmira {

int exportProtocolPdf(const ResultTables &tables, const QByteArray &package, const QString &stylesPath,
                      const QString &output, QTextStream &err) {
    report::setUpHtmlView(package, stylesPath);
    const report::StretchObjectFactory factory = report::htmlViewFactory();
    report::ProtocolReport protocol(tables, report::xmlValueFunction(stylesPath), factory);
    const report::PreparedReport prepared = protocol.Prepare();
    if (!prepared.errors.isEmpty()) {
        err << report::preparationErrorText(prepared.errors) << "\n";
        return 1;
    }
    try {
        report::exportPdf(prepared, factory, output, QStringLiteral("Протокол тестирования"));
    } catch (const Error &e) {
        err << e.message() << "\n";
        return 1;
    }
    return 0;
}

QString defaultStylesPath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("XSLStyles")) + QLatin1Char('/');
}

} // namespace rezmira
