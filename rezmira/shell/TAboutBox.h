// The About box "О программе": product, version and build, copyright and the maker's web link.
#pragma once

#include "rezmira/shell/VersionInfo.h"

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace rezmira {

/// The single About box `AboutBox`, created at start-up, its texts filled once from a version
/// block (the program's own by default) and reused for every showing.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr, const QByteArray &versionBlock = builtInVersionBlock());

    /// The strings read from the version block.
    const VersionStrings &versionStrings() const { return FVersion; }

    /// Centres the box on `mainWindow` and shows it modally.
    void Execute(const QWidget *mainWindow);

    /// The link's click: opens the maker's address in the default browser (failures ignored).
    void Label1Click();

    /// Replaces how an address is opened (QDesktopServices::openUrl by default); for tests.
    void setUrlOpener(std::function<void(const QUrl &)> opener) { FOpenUrl = std::move(opener); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    VersionStrings FVersion;
    std::function<void(const QUrl &)> FOpenUrl;
    QLabel *ProductNameLbl;
    QLabel *VersionLbl;
    QLabel *CopyrightLbl;
    QLabel *Label1;
    QPushButton *OKButton;
};

} // namespace rezmira
