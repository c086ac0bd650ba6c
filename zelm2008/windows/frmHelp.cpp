#include "zelm2008/windows/frmHelp.h"

#include "zelm2008/engine/Trainer.h"
#include "zelm2008/windows/Twips.h"
#include "zelm2008/windows/WindowFonts.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace zelm {

frmHelp::frmHelp(Trainer &trainer, QWidget *parent) : QDialog(parent), m_trainer(trainer) {
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    const TwipsScale s = TwipsScale::forWidget(this);
    setFixedSize(s.size(11220, 6825));
    setFont(DesignFont(QStringLiteral("Courier New"), 9.75));

    Text = new QPlainTextEdit(this);
    Text->setObjectName(QStringLiteral("Text"));
    Text->setGeometry(s.rect(0, 120, 11175, 6015));
    Text->setFont(DesignFont(QStringLiteral("Courier New"), 14.25));
    Text->setReadOnly(true);
    Text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Command_OK = new QPushButton(this);
    Command_OK->setObjectName(QStringLiteral("Command_OK"));
    Command_OK->setGeometry(s.rect(9120, 6240, 2055, 495));
    connect(Command_OK, &QPushButton::clicked, this, &QWidget::close);

    QString help = m_trainer.helpText();
    help.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    Text->setPlainText(help);
}

void frmHelp::FormActivate() {
    setWindowTitle(m_trainer.caption(9));
    Command_OK->setText(m_trainer.caption(10));
}

} // namespace zelm
