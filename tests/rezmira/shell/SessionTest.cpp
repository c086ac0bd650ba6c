// The window's open pipeline end to end: plain and protected samples through the real loader,
// crypt layer, key dialog and report engine.
#include "rezmira/shell/ViewerSession.h"

#include "rezmira/Error.h"
#include "rezmira/shell/PagePreview.h"
#include "rezmira/shell/TCryptKeyDlg.h"
#include "rezmira/shell/TForm2.h"
#include "rezmira/shell/TSettingsObj.h"
#include "ShellTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace rezmira;

namespace {

const QString kSamples = QStringLiteral(SAMPLES_DIR);

struct Session {
    shelltest::ServiceFakes fakes;
    QTemporaryDir home;
    TSettingsObj settings{SettingsFolders{home.path(), QStringLiteral(SAMPLES_DIR "/../rezmira/XSLStyles"),
                                          home.filePath(QStringLiteral("r")), home.filePath(QStringLiteral("l"))}};
    TForm2 form;
    TCryptKeyDlg dialog{&form};
    ViewerSession session{settings, dialog, home.filePath(QStringLiteral("keys")),
                          home.filePath(QStringLiteral("machine"))};
    Session() {
        dialog.setMainWindow(&form);
        form.setSettings(&settings);
        form.setReportOpener([this](const QString &f) { return session.LoadResultFile(f); });
    }
    /// The share of pixels of a page that are not white, drawn at 50 %.
    static double ink(const PreparedDocument &doc, int page) {
        QImage image((doc.pageSize(page) / 2).toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.scale(0.5, 0.5);
        doc.drawPage(page, p);
        p.end();
        qsizetype dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += image.pixel(x, y) != qRgb(255, 255, 255);
        return double(dark) / (image.width() * image.height());
    }
};

} // namespace

TEST(ViewerSession, PlainSampleOpensIntoPreparedPagesAndAFailedOpenKeepsThem) {
    Session s;
    s.form.LoadResultFile(kSamples + QStringLiteral("/demo.rzt"));
    ASSERT_TRUE(s.fakes.boxes.isEmpty()) << s.fakes.boxes[0].text.toStdString();
    const auto pages = s.form.preview()->document();
    ASSERT_TRUE(pages);
    EXPECT_GE(pages->pageCount(), 1);
    EXPECT_NEAR(pages->pageSize(0).width(), 793.7, 0.5); // A4 in 1/96 inch
    const double before = Session::ink(*pages, pages->pageCount() - 1);
    EXPECT_GT(before, 0.005);

    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.rzt"));
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("PK not really");
    f.close();
    EXPECT_THROW_MSG(s.form.LoadResultFile(broken), Error,
                     QStringLiteral("Файл не является файлом результатов, либо поврежден"));
    EXPECT_EQ(s.form.preview()->document(), pages);
    // The report shown still draws its pictures from its own package.
    EXPECT_DOUBLE_EQ(Session::ink(*pages, pages->pageCount() - 1), before);
}

TEST(ViewerSession, ProtectedSampleAsksForTheKeyWithTheDialog) {
    Session s;
    s.fakes.onModal = [&](QDialog &d) {
        s.fakes.files->answers.push_back(kSamples + QStringLiteral("/demo-key.rzk"));
        QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        d.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(true);
        QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
    };
    s.form.LoadResultFile(kSamples + QStringLiteral("/demo-protected.rzt"));
    EXPECT_EQ(s.fakes.modalShowings, 1);
    EXPECT_EQ(s.settings.LastKey, kSamples + QStringLiteral("/demo-key.rzk"));
    ASSERT_TRUE(s.form.preview()->document());
    EXPECT_GE(s.form.preview()->pageCount(), 1);
}

TEST(ViewerSession, ExportWritesThePreparedReportAsPdf) {
    Session s;
    s.form.LoadResultFile(kSamples + QStringLiteral("/demo.rzt"));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("protocol.pdf"));
    s.fakes.files->answers = {pdf};
    s.form.ExportPdfActnExecute();
    ASSERT_EQ(s.fakes.files->requests.size(), 1);
    EXPECT_FALSE(s.fakes.files->requests[0].OpenDialog);
    EXPECT_TRUE(s.fakes.files->requests[0].OverwritePrompt);
    EXPECT_TRUE(testsupport::readAll(pdf).startsWith("%PDF-"));
}
