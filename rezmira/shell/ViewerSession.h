// The open pipeline as the window runs it: the crypt layer, the result loader and the protocol
// report's preparation, from a file name to prepared pages.
#pragma once

#include "rezmira/loading/ResultLoader.h"
#include "rezmira/protection/CryptServices.h"
#include "rezmira/shell/PreparedDocument.h"

#include <QByteArray>
#include <QString>

namespace rezmira {

class TSettingsObj;

/// Opens result packages for the window and prepares their protocol report.
///
/// The key container lives in `userKeySetFolder` (userKeySetFolder(), the same one the command line uses). `settings`
/// and `dialog` must outlive the session. Pictures of the report shown are drawn from the package
/// it was prepared from, which the session keeps until the next successful open: a failed open
/// never changes what the shown report draws. Single-threaded (the user-interface thread).
class ViewerSession {
public:
    ViewerSession(TSettingsObj &settings, KeyDialog &dialog, const QString &userKeySetFolder,
                  const QString &machineKeySetFolder);
    ViewerSession(const ViewerSession &) = delete;
    ViewerSession &operator=(const ViewerSession &) = delete;

    /// Opens `fileName` and prepares its report from the style sheets in `XSLStylesPath`.
    /// Throws rezmira::Error with the open's message (see ResultLoader::LoadResultFile); errors
    /// met while preparing are returned with the pages prepared so far.
    OpenedReport LoadResultFile(const QString &fileName);

    ResultLoader &loader() { return FLoader; }
    TCryptManager &cryptManager() { return FCrypt.cryptManager(); }

private:
    TSettingsObj &FSettings;
    CryptServices FCrypt;
    ResultLoader FLoader;
    QByteArray FShownPackage;
};

} // namespace rezmira
