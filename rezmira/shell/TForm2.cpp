// The viewer's main window and its commands.
#include "rezmira/shell/TForm2.h"

#include "rezmira/Error.h"
#include "rezmira/shell/FileDialogs.h"
#include "rezmira/shell/Glyphs.h"
#include "rezmira/shell/MessageBoxes.h"
#include "rezmira/shell/PagePreview.h"
#include "rezmira/shell/PdfExport.h"
#include "rezmira/shell/TAboutBox.h"
#include "rezmira/shell/TSettingsObj.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>
#include <QWheelEvent>

#include <cmath>

namespace rezmira {

namespace {

/// The placement seam over a top-level widget: frame position, client size.
class WidgetPlacement final : public FormPlacementTarget {
public:
    explicit WidgetPlacement(QWidget &w) : m_w(w) {}
    void setMaximizedState() override { m_w.setWindowState(m_w.windowState() | Qt::WindowMaximized); }
    void setNormalState() override {
        m_w.setWindowState(m_w.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    }
    void setLeft(int left) override { m_w.move(left, m_w.pos().y()); }
    void setTop(int top) override { m_w.move(m_w.pos().x(), top); }
    void setHeight(int height) override { m_w.resize(m_w.width(), height); }
    void setWidth(int width) override { m_w.resize(width, m_w.height()); }
    QRect bounds() const override { return QRect(m_w.pos(), m_w.size()); }
    bool isMaximized() const override { return m_w.windowState() & Qt::WindowMaximized; }

private:
    QWidget &m_w;
};

QString resultFileIn(const QMimeData *mime) {
    if (!mime || !mime->hasUrls())
        return {};
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

void setTextIfChanged(QLineEdit *edit, const QString &text) {
    if (edit->text() != text)
        edit->setText(text);
}

} // namespace

TForm2::TForm2(QWidget *parent) : QMainWindow(parent) {
    // FormCreate: caption, the window's parts and commands; no settings are used here.
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Rezmira"));
    setWindowIcon(programIcon());
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setAcceptDrops(true);
    setContextMenuPolicy(Qt::NoContextMenu); // tool bars cannot be hidden

    frxPreview1 = new PagePreview(this);
    frxPreview1->setObjectName(QStringLiteral("frxPreview1"));
    setCentralWidget(frxPreview1);

    OpenAcnt = addCommand("OpenAcnt", QStringLiteral("Открыть"), 3, QKeySequence(Qt::CTRL | Qt::Key_O),
                          &TForm2::OpenAcntExecute);
    OpenAcnt->setToolTip(QStringLiteral("Открыть"));
    PrintActn = addCommand("PrintActn", QStringLiteral("Печать"), 0, QKeySequence(Qt::CTRL | Qt::Key_P),
                           &TForm2::PrintActnExecute);
    ExportPdfActn = addCommand("ExportPdfActn", QStringLiteral("Экспорт в PDF…"), -1, {},
                               &TForm2::ExportPdfActnExecute);
    ExitActn = addCommand("ExitActn", QStringLiteral("Выход"), -1, {}, &TForm2::ExitActnExecute);
    AboutActn = addCommand("AboutActn", QStringLiteral("О программе"), -1, {}, &TForm2::AboutActnExecute);
    ZomInActn = addCommand("ZomInActn", QStringLiteral("Увеличить"), 1, {}, &TForm2::ZomInActnExecute);
    ZomOutActn = addCommand("ZomOutActn", QStringLiteral("Уменьшить"), 2, {}, &TForm2::ZomOutActnExecute);
    Zom100 = addCommand("Zom100", QStringLiteral("100%"), -1, {}, &TForm2::Zom100Execute);
    ZomWidth = addCommand("ZomWidth", QStringLiteral("По ширине"), -1, {}, &TForm2::ZomWidthExecute);
    ZomPage = addCommand("ZomPage", QStringLiteral("Страница целиком"), -1, {}, &TForm2::ZomPageExecute);
    FirstPageActn = addCommand("FirstPageActn", QStringLiteral("В начало"), 4, {},
                               &TForm2::FirstPageActnExecute);
    PreviewPageActn = addCommand("PreviewPageActn", QStringLiteral("Предыдущая страница"), 5, {},
                                 &TForm2::PreviewPageActnExecute);
    NextPageActn = addCommand("NextPageActn", QStringLiteral("Следующая страница"), 6, {},
                              &TForm2::NextPageActnExecute);
    LastPageActn = addCommand("LastPageActn", QStringLiteral("Последняя страница"), 7, {},
                              &TForm2::LastPageActnExecute);

    buildMenus();
    buildToolBar();

    FStatusText = new QLabel(this);
    FStatusText->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(FStatusText, 1);
    statusBar()->setSizeGripEnabled(true);

    qApp->installEventFilter(this);
    connect(frxPreview1, &PagePreview::stateChanged, this, &TForm2::UpdateStatus);
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateStatus(); });

    resize(568, 508);
    UpdateStatus();
}

TForm2::~TForm2() = default;

QAction *TForm2::addCommand(const char *name, const QString &caption, int image,
                            const QKeySequence &shortcut, void (TForm2::*handler)()) {
    auto *action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    if (image >= 0)
        action->setIcon(glyph(image));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    return action;
}

void TForm2::buildMenus() {
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("SpTBXToolbar1"));
    QMenu *file = bar->addMenu(QStringLiteral("Файл"));
    file->addActions({OpenAcnt, PrintActn, ExportPdfActn});
    file->addSeparator();
    file->addAction(ExitActn);
    QMenu *zoom = bar->addMenu(QStringLiteral("Масштаб"));
    zoom->addActions({ZomInActn, ZomOutActn});
    zoom->addSeparator();
    zoom->addActions({Zom100, ZomWidth, ZomPage});
    QMenu *go = bar->addMenu(QStringLiteral("Переход"));
    go->addActions({FirstPageActn, PreviewPageActn, NextPageActn, LastPageActn});
    QMenu *help = bar->addMenu(QStringLiteral("Справка"));
    help->addAction(AboutActn);
}

void TForm2::buildToolBar() {
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("SpTBXToolbar2"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setIconSize(QSize(16, 16));
    bar->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, bar);

    auto gap = [bar] {
        auto *spacer = new QWidget(bar);
        spacer->setFixedWidth(20);
        bar->addWidget(spacer);
    };

    SpTBXComboBox1 = new QComboBox(bar);
    SpTBXComboBox1->setObjectName(QStringLiteral("SpTBXComboBox1"));
    SpTBXComboBox1->setEditable(true);
    SpTBXComboBox1->setInsertPolicy(QComboBox::NoInsert);
    SpTBXComboBox1->addItems({QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("75%"),
                              QStringLiteral("100%"), QStringLiteral("150%"), QStringLiteral("200%"),
                              QStringLiteral("По ширине"), QStringLiteral("Страница целиком")});
    SpTBXComboBox1->setFixedSize(70, 21);
    SpTBXComboBox1->view()->setMinimumWidth(130); // the mode items are wider than the box
    SpTBXComboBox1->setCompleter(nullptr);
    SpTBXComboBox1->installEventFilter(this);
    connect(SpTBXComboBox1, &QComboBox::activated, this, &TForm2::SpTBXComboBox1Select);

    SpTBXEditItem1 = new QLineEdit(bar);
    SpTBXEditItem1->setObjectName(QStringLiteral("SpTBXEditItem1"));
    SpTBXEditItem1->setFixedSize(44, 21);
    SpTBXEditItem1->setAlignment(Qt::AlignCenter);
    connect(SpTBXEditItem1, &QLineEdit::editingFinished, this, &TForm2::SpTBXEditItem1AcceptText);

    bar->addAction(OpenAcnt);
    bar->addAction(PrintActn);
    bar->addSeparator();
    bar->addAction(ZomInActn);
    gap();
    bar->addWidget(SpTBXComboBox1);
    gap();
    bar->addAction(ZomOutActn);
    bar->addSeparator();
    bar->addAction(FirstPageActn);
    bar->addAction(PreviewPageActn);
    bar->addWidget(SpTBXEditItem1);
    bar->addAction(NextPageActn);
    bar->addAction(LastPageActn);
}

void TForm2::runGuarded(const std::function<void()> &command) {
    try {
        command();
    } catch (const Error &e) {
        showErrorBox(this, e.message());
    } catch (const std::exception &e) {
        showErrorBox(this, QString::fromLocal8Bit(e.what()));
    }
    UpdateStatus();
}

void TForm2::FormShow(const QString &firstArgument) {
    if (FShown)
        return;
    FShown = true;
    if (SettingsObj) {
        if (FStylesSink)
            FStylesSink(SettingsObj->XSLStylesPath);
        WidgetPlacement placement(*this);
        SettingsObj->RestoreFormPlacement(placement, QStringLiteral("MAINFRM"), true);
    }
    if (!firstArgument.isEmpty())
        runGuarded([&] { LoadResultFile(firstArgument); });
}

void TForm2::LoadResultFile(const QString &fileName) {
    if (!FOpener)
        throw Error(QStringLiteral("Не удается открыть файл"));
    OpenedReport opened = FOpener(QFileInfo(fileName).absoluteFilePath());
    if (opened.pages)
        frxPreview1->setDocument(std::move(opened.pages));
    showReportErrors(this, opened.errors);
    frxPreview1->setFocus();
}

void TForm2::UpdateStatus() {
    const int page = frxPreview1->currentPage();
    if (!SpTBXComboBox1->hasFocus()) {
        // Halves go to the even neighbour, as the platform's rounding does.
        const double percent = std::nearbyint(frxPreview1->zoom() * 100.0);
        const QString text = QString::number(qint64(percent)) + QLatin1Char('%');
        if (SpTBXComboBox1->currentText() != text)
            SpTBXComboBox1->setEditText(text);
    }
    setTextIfChanged(SpTBXEditItem1, QString::number(page));
    const QString status = QStringLiteral("Страница %1 из %2").arg(page).arg(frxPreview1->pageCount());
    if (FStatusText->text() != status)
        FStatusText->setText(status);
}

void TForm2::OpenAcntExecute() {
    QString fileName;
    if (ShowFileDialog(this, QStringLiteral("*.rzt"), QStringLiteral("Файл результатов (*.rzt)|*.rzt"),
                       QString(), QString(), fileName, false, false, false, true))
        LoadResultFile(fileName);
}

void TForm2::PrintActnExecute() {
    const std::shared_ptr<const PreparedDocument> pages = frxPreview1->document();
    if (!pages || pages->pageCount() == 0)
        return; // nothing prepared yet
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true); // report pages carry their own margins
    printer.setDocName(QStringLiteral("Rezmira"));
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pages->pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    int first = 0, last = pages->pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange) {
        first = printer.fromPage() - 1;
        last = printer.toPage() - 1;
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = frxPreview1->currentPage() - 1;
    }
    if (!paintPreparedPages(printer, *pages, first, last))
        throw Error(QStringLiteral("Не удается напечатать отчет"));
}

void TForm2::ExportPdfActnExecute() {
    const std::shared_ptr<const PreparedDocument> pages = frxPreview1->document();
    if (!pages || pages->pageCount() == 0)
        return; // nothing prepared yet
    QString fileName;
    if (!ShowFileDialog(this, QStringLiteral("*.pdf"), QStringLiteral("Документ PDF (*.pdf)|*.pdf"),
                        QString(), QString(), fileName, false, true, false, false))
        return;
    pages->writePdf(fileName);
}

void TForm2::ExitActnExecute() { close(); }

void TForm2::AboutActnExecute() {
    if (AboutBox)
        AboutBox->Execute(this);
}

void TForm2::ZomInActnExecute() { frxPreview1->setZoom(frxPreview1->zoom() + 0.25); }
void TForm2::ZomOutActnExecute() { frxPreview1->setZoom(frxPreview1->zoom() - 0.25); }
void TForm2::Zom100Execute() { frxPreview1->setZoom(1.0); }
void TForm2::ZomWidthExecute() { frxPreview1->setZoomMode(PagePreview::ZoomMode::PageWidth); }
void TForm2::ZomPageExecute() { frxPreview1->setZoomMode(PagePreview::ZoomMode::WholePage); }
void TForm2::FirstPageActnExecute() { frxPreview1->setPage(1); }
void TForm2::PreviewPageActnExecute() { frxPreview1->setPage(frxPreview1->currentPage() - 1); }
void TForm2::NextPageActnExecute() { frxPreview1->setPage(frxPreview1->currentPage() + 1); }
void TForm2::LastPageActnExecute() { frxPreview1->setPage(frxPreview1->pageCount()); }

void TForm2::SpTBXComboBox1Select(int) {
    // Moving the focus away makes the box apply the choice (SpTBXComboBox1Exit).
    frxPreview1->setFocus(Qt::OtherFocusReason);
}

void TForm2::SpTBXComboBox1Exit() {
    const int count = SpTBXComboBox1->count();
    QString text = SpTBXComboBox1->currentText();
    // The selected item is the one the text names; typed text naming none selects nothing.
    const int index = SpTBXComboBox1->findText(text, Qt::MatchExactly);
    if (index == count - 1) {
        frxPreview1->setZoomMode(PagePreview::ZoomMode::WholePage);
    } else if (index == count - 2) {
        frxPreview1->setZoomMode(PagePreview::ZoomMode::PageWidth);
    } else {
        if (text.endsWith(QLatin1Char('%')))
            text.chop(1);
        bool ok = false;
        const double value = QLocale::system().toDouble(text, &ok);
        if (ok && std::isfinite(value))
            frxPreview1->setZoom(value / 100.0);
    }
    UpdateStatus();
}

void TForm2::SpTBXEditItem1AcceptText() {
    bool ok = false;
    const int page = SpTBXEditItem1->text().toInt(&ok);
    if (ok)
        frxPreview1->setPage(page);
    UpdateStatus();
}

bool TForm2::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Wheel && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this) {
        // The wheel anywhere over the window scrolls the preview, also over the zoom box
        // (which would step its items) and the bars.
        frxPreview1->wheelStep(static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }
    if (watched == SpTBXComboBox1 && event->type() == QEvent::FocusIn)
        FZoomBoxEntered = true;
    // The box may hear of one loss of focus twice (through its line edit); it applies once.
    if (watched == SpTBXComboBox1 && event->type() == QEvent::FocusOut && FZoomBoxEntered &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        FZoomBoxEntered = false;
        SpTBXComboBox1Exit();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm2::closeEvent(QCloseEvent *event) {
    // FormClose: the placement is saved; a refused write is shown, and the window still closes.
    if (SettingsObj) {
        WidgetPlacement placement(*this);
        runGuarded([&] { SettingsObj->SaveFormPlacement(placement, QStringLiteral("MAINFRM")); });
    }
    event->accept();
}

void TForm2::dragEnterEvent(QDragEnterEvent *event) {
    if (!resultFileIn(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent *event) {
    const QString file = resultFileIn(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // Opening may show dialogs; let the drag finish first.
    QMetaObject::invokeMethod(this, [this, file] { runGuarded([&] { LoadResultFile(file); }); },
                              Qt::QueuedConnection);
}

} // namespace rezmira
