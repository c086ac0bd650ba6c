// The open pipeline as the window runs it.
#include "rezmira/shell/ViewerSession.h"

#include "rezmira/report/HtmlViewObject.h"
#include "rezmira/report/ProtocolReport.h"
#include "rezmira/shell/ReportPages.h"
#include "rezmira/shell/TSettingsObj.h"

namespace rezmira {

ViewerSession::ViewerSession(TSettingsObj &settings, KeyDialog &dialog,
                             const QString &userKeySetFolder, const QString &machineKeySetFolder)
    : FSettings(settings), FCrypt(userKeySetFolder, machineKeySetFolder, dialog, settings),
      FLoader(FCrypt.keys(), FCrypt.decryptor(), settings) {}

OpenedReport ViewerSession::LoadResultFile(const QString &fileName) {
    FLoader.LoadResultFile(fileName);
    FShownPackage = FLoader.packageStream();
    const QString styles = FSettings.XSLStylesPath;
    report::setUpHtmlView(FShownPackage, styles);
    const report::StretchObjectFactory factory = report::htmlViewFactory();
    report::ProtocolReport protocol(FLoader.tables(), report::xmlValueFunction(styles), factory);
    report::PreparedReport prepared = protocol.Prepare();
    QStringList errors = prepared.errors;
    return OpenedReport{std::make_shared<ReportPages>(std::move(prepared), factory), std::move(errors)};
}

} // namespace rezmira
