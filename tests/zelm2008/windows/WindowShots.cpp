// A developer aid: builds every trainer window on a files folder, in the language named, and
// saves a picture of each (run it under Xvfb or offscreen, then look at the pictures).
// Usage: zelm_window_shots FILES_FOLDER OUT_FOLDER [LANGUAGE_FILE]
#include "zelm2008/engine/Clock.h"
#include "zelm2008/engine/KeyingPlayer.h"
#include "zelm2008/engine/ToneOutput.h"
#include "zelm2008/engine/Trainer.h"
#include "zelm2008/windows/FormActivation.h"
#include "zelm2008/windows/WindowFonts.h"
#include "zelm2008/windows/frmAbout.h"
#include "zelm2008/windows/frmHelp.h"
#include "zelm2008/windows/frmInput.h"
#include "zelm2008/windows/frmMain.h"
#include "zelm2008/windows/frmOption.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>

namespace {
void save(QWidget *w, const QString &folder, const QString &name) {
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    if (!w->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}
} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: zelm_window_shots FILES_FOLDER OUT_FOLDER [LANGUAGE_FILE]\n");
        return 2;
    }
    zelm::RegisterDesignFonts();
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    zelm::Trainer trainer(QString::fromLocal8Bit(argv[1]));
    trainer.startUp(5);
    if (argc > 3) {
        for (qsizetype i = 0; i < trainer.Languages.size(); ++i)
            if (trainer.Languages[i].fileName == QString::fromLocal8Bit(argv[3]))
                trainer.LanguageIndex = static_cast<int>(i);
        trainer.LoadLanguage();
    }
    zelm::SilentToneOutput output;
    zelm::VirtualClock clock;
    zelm::KeyingPlayer player(trainer, output, clock);
    zelm::frmMain main(trainer, player, output);
    main.show();
    main.FormActivate();
    save(&main, out, QStringLiteral("main"));

    auto *type = main.findChild<QComboBox *>(QStringLiteral("Combo_Tip"));
    type->setCurrentIndex(12);
    emit type->activated(12);
    save(&main, out, QStringLiteral("main-special"));
    type->setCurrentIndex(0);
    emit type->activated(0);

    main.findChild<QPushButton *>(QStringLiteral("Command_Input"))->click();
    main.findChild<QPushButton *>(QStringLiteral("Command_Start"))->click();
    save(&main, out, QStringLiteral("main-keying"));
    clock.runUntilIdle();
    zelm::frmInput *input = main.inputWindow();
    input->ReadKeyedText();
    input->FormActivate();
    const QByteArray reference = input->check().ReferenceText();
    QByteArray typed = reference.left(40);
    typed[3] = 'Q';
    typed[17] = '1';
    auto *box = input->findChild<QPlainTextEdit *>(QStringLiteral("Text"));
    box->setFocus();
    QTest::keyClicks(box, trainer.text(typed).toLower());
    save(input, out, QStringLiteral("input"));

    main.findChild<QAction *>(QStringLiteral("mnuOptions"))->trigger();
    main.optionWindow()->FormActivate();
    save(main.optionWindow(), out, QStringLiteral("options"));
    main.findChild<QAction *>(QStringLiteral("mnuIndex"))->trigger();
    main.helpWindow()->FormActivate();
    save(main.helpWindow(), out, QStringLiteral("help"));
    main.findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    save(main.aboutWindow(), out, QStringLiteral("about"));

    zelm::frmAbout progress(trainer);
    progress.setAttribute(Qt::WA_DeleteOnClose, false);
    progress.BeginProgress();
    for (int k = 1; k <= 700; ++k)
        progress.SetProgress(k);
    save(&progress, out, QStringLiteral("about-progress"));

    main.findChild<QPushButton *>(QStringLiteral("Command_View"))->click();
    save(&main, out, QStringLiteral("main-hidden"));
    main.findChild<QPushButton *>(QStringLiteral("Command_View"))->click();
    main.close();
    return 0;
}
