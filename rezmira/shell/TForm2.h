// The viewer's main window: menu bar, tool bar with the zoom and page boxes, the report preview
// and the status bar; its commands, start-up open, placement and drag-and-drop.
#pragma once

#include "rezmira/shell/PreparedDocument.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;

namespace rezmira {

class PagePreview;
class TAboutBox;
class TSettingsObj;

/// Opens a result package (full path) and prepares its report. Throws rezmira::Error with the
/// message for the user when the file cannot be opened.
using ReportOpener = std::function<OpenedReport(const QString &fileName)>;

/// The single main window `Form2`.
///
/// Construction is `FormCreate` and uses no settings. The objects created after it are handed
/// in with the setters before `FormShow`. Every command is always enabled. Errors of commands
/// and of the start-up open go to the error box and the window goes on as it was.
class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    void setSettings(TSettingsObj *settings) { SettingsObj = settings; }
    void setAboutBox(TAboutBox *aboutBox) { AboutBox = aboutBox; }
    void setReportOpener(ReportOpener opener) { FOpener = std::move(opener); }
    /// Receives the style sheets folder when the window is first shown.
    void setStylesPathSink(std::function<void(const QString &)> sink) { FStylesSink = std::move(sink); }

    /// Runs once, before the window is first visible: hands the style sheets folder on,
    /// restores the placement ("MAINFRM") and opens `firstArgument` when it is not empty.
    void FormShow(const QString &firstArgument);

    /// Opens a result package and shows its report; the previous report stays when it fails.
    /// Throws rezmira::Error (the caller shows it).
    void LoadResultFile(const QString &fileName);

    /// Sets the zoom box, page box and status bar texts from the preview. Cheap.
    void UpdateStatus();

    PagePreview *preview() const { return frxPreview1; }

    // The commands, as the menu and tool bar run them.
    void OpenAcntExecute();
    void PrintActnExecute();
    void ExportPdfActnExecute();
    void ExitActnExecute();
    void AboutActnExecute();
    void ZomInActnExecute();
    void ZomOutActnExecute();
    void Zom100Execute();
    void ZomWidthExecute();
    void ZomPageExecute();
    void FirstPageActnExecute();
    void PreviewPageActnExecute();
    void NextPageActnExecute();
    void LastPageActnExecute();

    // The zoom box and page box handlers.
    void SpTBXComboBox1Select(int index);
    void SpTBXComboBox1Exit();
    void SpTBXEditItem1AcceptText();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *addCommand(const char *name, const QString &caption, int image,
                        const QKeySequence &shortcut, void (TForm2::*handler)());
    void runGuarded(const std::function<void()> &command);
    void buildMenus();
    void buildToolBar();

    TSettingsObj *SettingsObj = nullptr;
    TAboutBox *AboutBox = nullptr;
    ReportOpener FOpener;
    std::function<void(const QString &)> FStylesSink;
    bool FShown = false;
    bool FZoomBoxEntered = false;

    PagePreview *frxPreview1;
    QComboBox *SpTBXComboBox1;
    QLineEdit *SpTBXEditItem1;
    QLabel *FStatusText;

    QAction *OpenAcnt, *PrintActn, *ExportPdfActn, *ExitActn, *AboutActn;
    QAction *ZomInActn, *ZomOutActn, *Zom100, *ZomWidth, *ZomPage;
    QAction *FirstPageActn, *PreviewPageActn, *NextPageActn, *LastPageActn;
};

} // namespace rezmira
