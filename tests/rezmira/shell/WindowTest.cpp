// The main window: commands, zoom box, page box, status bar, opening, errors and placement.
#include "rezmira/shell/TForm2.h"

#include "rezmira/Error.h"
#include "rezmira/shell/PagePreview.h"
#include "rezmira/shell/TSettingsObj.h"
#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>

using namespace rezmira;
using shelltest::FakeDocument;

namespace {

struct Window {
    shelltest::ServiceFakes fakes;
    TForm2 form;
    QStringList opened;
    QComboBox *zoomBox = form.findChild<QComboBox *>(QStringLiteral("SpTBXComboBox1"));
    QLineEdit *pageBox = form.findChild<QLineEdit *>(QStringLiteral("SpTBXEditItem1"));
    QLabel *status = form.findChild<QLabel *>(QStringLiteral("StatusBar1"));

    Window() {
        // "*.rzt" names open as a report of as many pages as the name says; others fail.
        form.setReportOpener([this](const QString &fileName) {
            opened << fileName;
            bool ok = false;
            const int pages = QFileInfo(fileName).completeBaseName().toInt(&ok);
            if (!ok)
                throw Error(QStringLiteral("Файл не является файлом результатов, либо поврежден"));
            return OpenedReport{std::make_shared<FakeDocument>(pages), {}};
        });
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    QAction *action(const char *name) { return form.findChild<QAction *>(QLatin1String(name)); }
    void open(int pages) { form.LoadResultFile(QStringLiteral("/r/%1.rzt").arg(pages)); }
    void typeZoom(const QString &text) {
        zoomBox->setFocus();
        QApplication::processEvents();
        zoomBox->setEditText(text);
        form.preview()->setFocus(); // leaving the box applies it
        QApplication::processEvents();
    }
    void typePage(const QString &text) {
        pageBox->setFocus();
        pageBox->setText(text);
        QTest::keyClick(pageBox, Qt::Key_Return);
    }
};

} // namespace

TEST(TForm2, BeforeAnyOpenShowsHundredPercentPageOneOfZero) {
    Window w;
    EXPECT_EQ(w.form.windowTitle(), QStringLiteral("Rezmira"));
    EXPECT_EQ(w.zoomBox->currentText(), QStringLiteral("100%"));
    EXPECT_EQ(w.pageBox->text(), QStringLiteral("1"));
    EXPECT_EQ(w.status->text(), QStringLiteral("Страница 1 из 0"));
    // Commands do nothing harmful before a report exists.
    for (const char *name : {"FirstPageActn", "NextPageActn", "LastPageActn", "PrintActn", "ExportPdfActn"})
        w.action(name)->trigger();
    EXPECT_EQ(w.status->text(), QStringLiteral("Страница 1 из 0"));
    EXPECT_TRUE(w.fakes.boxes.isEmpty());
}

TEST(TForm2, MenusAndToolBarOfferTheCommandsInOrderAlwaysEnabled) {
    Window w;
    QStringList menus;
    for (QAction *menu : w.form.menuBar()->actions()) {
        QStringList items;
        for (QAction *a : menu->menu()->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        menus << menu->text() + QStringLiteral(": ") + items.join(QLatin1Char('|'));
    }
    EXPECT_EQ(menus, (QStringList{
                         QStringLiteral("Файл: Открыть|Печать|Экспорт в PDF…|-|Выход"),
                         QStringLiteral("Масштаб: Увеличить|Уменьшить|-|100%|По ширине|Страница целиком"),
                         QStringLiteral("Переход: В начало|Предыдущая страница|Следующая страница|Последняя страница"),
                         QStringLiteral("Справка: О программе"),
                     }));
    QStringList tools;
    for (QAction *a : w.form.findChild<QToolBar *>(QStringLiteral("SpTBXToolbar2"))->actions())
        tools << (a->isSeparator() ? QStringLiteral("-")
                  : a->objectName().isEmpty() ? QStringLiteral("widget") : a->objectName());
    EXPECT_EQ(tools.join(QLatin1Char(' ')),
              QStringLiteral("OpenAcnt PrintActn - ZomInActn widget widget widget ZomOutActn - "
                             "FirstPageActn PreviewPageActn widget NextPageActn LastPageActn"));
    EXPECT_EQ(w.action("OpenAcnt")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(w.action("PrintActn")->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    for (QAction *menu : w.form.menuBar()->actions())
        for (QAction *a : menu->menu()->actions())
            EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    for (const char *name : {"PrintActn", "ZomInActn", "ZomOutActn", "OpenAcnt", "FirstPageActn",
                             "PreviewPageActn", "NextPageActn", "LastPageActn"})
        EXPECT_FALSE(w.action(name)->icon().isNull()) << name;
    QStringList items;
    for (int i = 0; i < w.zoomBox->count(); ++i)
        items << w.zoomBox->itemText(i);
    EXPECT_EQ(items.join(QLatin1Char(',')),
              QStringLiteral("25%,50%,75%,100%,150%,200%,По ширине,Страница целиком"));
}

TEST(TForm2, ZoomCommandsKeepTheLowerBoundAndHaveNoUpperOne) {
    Window w;
    w.open(3);
    for (int i = 0; i < 5; ++i)
        w.action("ZomOutActn")->trigger();
    EXPECT_EQ(w.zoomBox->currentText(), QStringLiteral("25%"));
    w.typeZoom(QStringLiteral("200"));
    w.action("ZomInActn")->trigger();
    EXPECT_EQ(w.zoomBox->currentText(), QStringLiteral("225%"));
    w.action("Zom100")->trigger();
    EXPECT_EQ(w.form.preview()->zoom(), 1.0);
    w.action("ZomWidth")->trigger();
    EXPECT_EQ(w.form.preview()->zoomMode(), PagePreview::ZoomMode::PageWidth);
    w.action("ZomPage")->trigger();
    EXPECT_EQ(w.form.preview()->zoomMode(), PagePreview::ZoomMode::WholePage);
}

TEST(TForm2, TypedZoomIsAppliedWhenTheBoxLosesTheFocus) {
    Window w;
    w.open(3);
    const struct {
        const char *typed;
        double zoom;
        const char *shown;
    } cases[] = {
        {"150", 1.5, "150%"}, {"75%", 0.75, "75%"}, {"10", 0.25, "25%"},
        {"abc", 0.25, "25%"}, {"", 0.25, "25%"},    {"1e400", 0.25, "25%"},
        {"312.5", 3.125, "312%"}, // halves to even
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        w.typeZoom(QString::fromLatin1(c.typed));
        EXPECT_DOUBLE_EQ(w.form.preview()->zoom(), c.zoom);
        EXPECT_EQ(w.zoomBox->currentText(), QString::fromLatin1(c.shown));
    }
    // While the box has the focus its text is left alone.
    w.zoomBox->setFocus();
    QApplication::processEvents();
    w.zoomBox->setEditText(QStringLiteral("33"));
    w.form.UpdateStatus();
    EXPECT_EQ(w.zoomBox->currentText(), QStringLiteral("33"));
}

TEST(TForm2, PickingAModeItemAppliesItAtOnce) {
    Window w;
    w.open(3);
    for (auto [index, mode] : {std::pair{6, PagePreview::ZoomMode::PageWidth},
                               std::pair{7, PagePreview::ZoomMode::WholePage}}) {
        w.form.preview()->setZoom(1);
        w.zoomBox->setFocus();
        QApplication::processEvents();
        w.zoomBox->setCurrentIndex(index);
        emit w.zoomBox->activated(index);
        QApplication::processEvents();
        EXPECT_TRUE(w.form.preview()->hasFocus());
        EXPECT_EQ(w.form.preview()->zoomMode(), mode);
    }
}

TEST(TForm2, PageBoxAndPageCommandsClampToTheReport) {
    Window w;
    w.open(12);
    EXPECT_EQ(w.status->text(), QStringLiteral("Страница 1 из 12"));
    const struct {
        const char *typed;
        int page;
    } cases[] = {{"0", 1}, {"999", 12}, {"5", 5}, {"2a", 5}, {"-4", 1}, {"", 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        w.typePage(QString::fromLatin1(c.typed));
        EXPECT_EQ(w.form.preview()->currentPage(), c.page);
        EXPECT_EQ(w.pageBox->text(), QString::number(c.page));
    }
    w.action("LastPageActn")->trigger();
    w.action("NextPageActn")->trigger();
    EXPECT_EQ(w.status->text(), QStringLiteral("Страница 12 из 12"));
    w.action("PreviewPageActn")->trigger();
    EXPECT_EQ(w.pageBox->text(), QStringLiteral("11"));
    w.action("FirstPageActn")->trigger();
    w.action("PreviewPageActn")->trigger();
    EXPECT_EQ(w.status->text(), QStringLiteral("Страница 1 из 12"));
}

TEST(TForm2, OpenCommandAsksForAResultFileAndAFailedOpenKeepsThePreviousReport) {
    Window w;
    w.fakes.files->answers = {QStringLiteral("/r/4.rzt"), std::nullopt, QStringLiteral("/r/broken.rzt")};
    w.action("OpenAcnt")->trigger();
    ASSERT_EQ(w.fakes.files->requests.size(), 1);
    const FileDialogRequest &r = w.fakes.files->requests[0];
    EXPECT_EQ(r.DefaultExt, QStringLiteral("*.rzt"));
    EXPECT_EQ(r.Filter, QStringLiteral("Файл результатов (*.rzt)|*.rzt"));
    EXPECT_TRUE(r.InitialDir.isEmpty() && r.Title.isEmpty() && r.FileName.isEmpty());
    EXPECT_TRUE(r.OpenDialog && !r.FileMustExist && !r.OverwritePrompt && !r.NoChangeDir);
    EXPECT_EQ(w.status->text(), QStringLiteral("Страница 1 из 4"));
    EXPECT_TRUE(w.form.preview()->hasFocus());

    w.action("OpenAcnt")->trigger(); // cancelled: nothing opens
    EXPECT_EQ(w.opened, QStringList{QStringLiteral("/r/4.rzt")});

    w.action("LastPageActn")->trigger();
    w.action("OpenAcnt")->trigger();
    ASSERT_EQ(w.fakes.boxes.size(), 1);
    EXPECT_EQ(w.fakes.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(w.fakes.boxes[0].caption, QStringLiteral("Rezmira"));
    EXPECT_EQ(w.fakes.boxes[0].text, QStringLiteral("Файл не является файлом результатов, либо поврежден."));
    EXPECT_EQ(w.status->text(), QStringLiteral("Страница 4 из 4"));
}

TEST(TForm2, ReportErrorsAreShownInTheirOwnBox) {
    Window w;
    w.form.setReportOpener([](const QString &) {
        return OpenedReport{std::make_shared<FakeDocument>(2), {QStringLiteral("Не найдена таблица стилей")}};
    });
    w.form.LoadResultFile(QStringLiteral("/r/x.rzt"));
    ASSERT_EQ(w.fakes.boxes.size(), 1);
    EXPECT_EQ(w.fakes.boxes[0].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(w.fakes.boxes[0].text,
              QStringLiteral("Были обнаружены следующие ошибки:\nНе найдена таблица стилей"));
    EXPECT_EQ(w.status->text(), QStringLiteral("Страница 1 из 2"));
}

TEST(TForm2, StartUpOpenErrorLeavesAnEmptyWindow) {
    shelltest::ServiceFakes fakes;
    TForm2 form;
    form.setReportOpener([](const QString &) -> OpenedReport { throw Error(QStringLiteral("Не удается открыть файл")); });
    form.FormShow(QStringLiteral("/r/missing.rzt"));
    EXPECT_FALSE(form.isVisible()); // the box came before the window
    ASSERT_EQ(fakes.boxes.size(), 1);
    EXPECT_EQ(fakes.boxes[0].text, QStringLiteral("Не удается открыть файл."));
    EXPECT_EQ(form.preview()->pageCount(), 0);
    form.FormShow(QStringLiteral("/r/missing.rzt")); // runs once
    EXPECT_EQ(fakes.boxes.size(), 1);
}

TEST(TForm2, WheelOverTheWindowScrollsThePreviewAndAClickFocusesIt) {
    Window w;
    w.open(5);
    QScrollBar *bar = w.form.preview()->verticalScrollBar();
    bar->setValue(100);
    QWidget *toolbar = w.form.findChild<QToolBar *>(QStringLiteral("SpTBXToolbar2"));
    for (QWidget *target : {static_cast<QWidget *>(toolbar), static_cast<QWidget *>(w.zoomBox)}) {
        const QPointF at(5, 5);
        QWheelEvent e(at, target->mapToGlobal(at), QPoint(), QPoint(0, -360), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &e);
    }
    EXPECT_EQ(bar->value(), 140);
    EXPECT_EQ(w.zoomBox->currentText(), QStringLiteral("100%"));
    w.pageBox->setFocus();
    QTest::mouseClick(w.form.preview()->viewport(), Qt::LeftButton);
    EXPECT_TRUE(w.form.preview()->hasFocus());
}

TEST(TForm2, PlacementIsRestoredAtShowAndSavedAtClose) {
    QTemporaryDir root;
    const SettingsFolders folders{root.path(), {}, root.filePath(QStringLiteral("r")),
                                  root.filePath(QStringLiteral("l"))};
    shelltest::ServiceFakes fakes;
    TSettingsObj settings(folders);
    {
        TForm2 form;
        form.setSettings(&settings);
        form.FormShow({});
        EXPECT_EQ(form.size(), QSize(568, 508)); // first run: designed size
        form.show();
        form.move(40, 50);
        form.resize(700, 600);
        form.close();
    }
    {
        TForm2 form;
        form.setSettings(&settings);
        form.FormShow({});
        EXPECT_EQ(form.pos(), QPoint(40, 50));
        EXPECT_EQ(form.size(), QSize(700, 600));
        EXPECT_FALSE(form.windowState() & Qt::WindowMaximized);
        form.show();
        form.setWindowState(Qt::WindowMaximized);
        form.close();
    }
    {
        TForm2 form;
        form.setSettings(&settings);
        form.FormShow({});
        EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
    }
    EXPECT_TRUE(fakes.boxes.isEmpty());
}

TEST(TForm2, RefusedPlacementWriteIsShownAndTheWindowStillCloses) {
    QTemporaryDir root;
    const SettingsFolders folders{root.path(), {}, root.filePath(QStringLiteral("r")),
                                  root.filePath(QStringLiteral("l"))};
    shelltest::ServiceFakes fakes;
    TSettingsObj settings(folders);
    QDir().mkpath(settings.LocalSettingsPath() + QStringLiteral("Displ.ini"));
    TForm2 form;
    form.setSettings(&settings);
    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(fakes.boxes.size(), 1);
    EXPECT_EQ(fakes.boxes[0].text, QStringLiteral("Unable to write to ") + settings.LocalSettingsPath() +
                                       QStringLiteral("Displ.ini."));
}

TEST(TForm2, StylesFolderIsHandedOnWhenFirstShown) {
    shelltest::ServiceFakes fakes;
    TSettingsObj settings;
    settings.XSLStylesPath = QStringLiteral("/opt/rezmira/XSLStyles/");
    TForm2 form;
    QString received;
    form.setSettings(&settings);
    form.setStylesPathSink([&](const QString &path) { received = path; });
    form.FormShow({});
    EXPECT_EQ(received, QStringLiteral("/opt/rezmira/XSLStyles/"));
}

TEST(TForm2, DroppingAFileOpensIt) {
    Window w;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/r/6.rzt"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.form, &drop);
    QApplication::processEvents();
    EXPECT_EQ(w.opened, QStringList{QStringLiteral("/r/6.rzt")});
    EXPECT_EQ(w.status->text(), QStringLiteral("Страница 1 из 6"));

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.form, &refused);
    EXPECT_FALSE(refused.isAccepted());
}
