#include "zelm2008/windows/frmInput.h"

#include "zelm2008/engine/Trainer.h"
#include "zelm2008/windows/LearnerTexts.h"
#include "zelm2008/windows/Twips.h"
#include "zelm2008/windows/WindowFonts.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace zelm {

namespace {
constexpr int kClientWidth = 9630;
constexpr int kClientHeight = 2880;
constexpr int kDesignLeft = 3675;
constexpr int kDesignTop = 8085;
} // namespace

frmInput::frmInput(Trainer &trainer, bool &inputOpen, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_trainer(trainer), m_inputOpen(inputOpen) {
    setObjectName(QStringLiteral("frmInput"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/zelm2008/zelm2008.svg")));
    const TwipsScale s = TwipsScale::forWidget(this);
    setFixedSize(s.size(kClientWidth, kClientHeight));
    move(s.px(kDesignLeft), s.px(kDesignTop));
    setFont(DesignFont(QStringLiteral("Courier New"), 9.75));

    Text = new QPlainTextEdit(this);
    Text->setObjectName(QStringLiteral("Text"));
    Text->setGeometry(s.rect(120, 120, 9375, 2175));
    Text->setFont(DesignFont(QStringLiteral("Courier New"), 12, true));
    Text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text->installEventFilter(this);
    Text->viewport()->installEventFilter(this);

    Command_Clear = new QPushButton(this);
    Command_Clear->setObjectName(QStringLiteral("Command_Clear"));
    Command_Clear->setGeometry(s.rect(3360, 2400, 2895, 375));
    connect(Command_Clear, &QPushButton::clicked, Text, &QPlainTextEdit::clear);

    const QFont aidFont = DesignFont(QStringLiteral("Arial"), 8);
    Label_Result = new QLabel(this);
    Label_Result->setObjectName(QStringLiteral("Label_Result"));
    Label_Result->setGeometry(s.rect(120, 2400, 3150, 375));
    Label_Missed = new QLabel(this);
    Label_Missed->setObjectName(QStringLiteral("Label_Missed"));
    Label_Missed->setGeometry(s.rect(6345, 2400, 3150, 375));
    for (QLabel *label : {Label_Result, Label_Missed}) {
        label->setFont(aidFont);
        label->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    }
    Label_Missed->setAlignment(Qt::AlignVCenter | Qt::AlignRight);

    // Load.
    m_inputOpen = true;
    ReadKeyedText();
    updateResult();
}

frmInput::~frmInput() = default;

void frmInput::ReadKeyedText() {
    m_check.Load(ReferenceFromKeyedText(m_trainer.readFile(QStringLiteral("text.txt"))));
    updateResult();
}

void frmInput::FormActivate() {
    setWindowTitle(m_trainer.caption(11));
    Command_Clear->setText(m_trainer.caption(38));
    updateResult();
}

void frmInput::setKeyingActive(bool active) {
    m_keying = active;
    updateResult();
}

void frmInput::focusText() {
    Text->setFocus(Qt::OtherFocusReason);
}

void frmInput::closeEvent(QCloseEvent *event) {
    m_inputOpen = false;
    QWidget::closeEvent(event);
}

bool frmInput::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Text->viewport() && event->type() == QEvent::MouseButtonPress) {
        ReadKeyedText(); // a click restarts the check against the last keyed text
        return false;
    }
    if (watched == Text && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->text().isEmpty() && !(key->modifiers() & Qt::ControlModifier))
            return typeKey(key->text());
        if (key->key() == Qt::Key_Backspace)
            return typeKey(QStringLiteral("\b"));
    }
    return QWidget::eventFilter(watched, event);
}

bool frmInput::typeKey(const QString &text) {
    bool handled = false;
    for (const QChar ch : text) {
        const QByteArray code = m_trainer.bytes(QString(ch));
        const auto k = static_cast<unsigned char>(code.isEmpty() ? '?' : code[0]);
        const KeyVerdict verdict = m_check.Judge(k);
        switch (verdict.action) {
        case KeyVerdict::Action::Insert:
            Text->textCursor().insertText(
                m_trainer.text(QByteArray(1, static_cast<char>(verdict.key))));
            Text->ensureCursorVisible();
            handled = true;
            break;
        case KeyVerdict::Action::Discard:
            handled = true;
            break;
        case KeyVerdict::Action::Pass:
            if (text.size() > 1) { // a composed sequence: pass its control characters as text
                Text->textCursor().insertText(QString(ch));
                handled = true;
            }
            break;
        }
    }
    updateResult();
    return handled;
}

void frmInput::updateResult() {
    const TypingResult result = m_check.Result();
    const bool show = !m_keying && (result.typed > 0 || result.errors > 0);
    const AidLanguage language = AidLanguageFor(m_trainer.Charset);
    Label_Result->setText(show ? ResultText(result, language) : QString());
    Label_Missed->setText(show ? MissedText(result, language,
                                            [this](unsigned char c) {
                                                return m_trainer.text(
                                                    QByteArray(1, static_cast<char>(c)));
                                            })
                               : QString());
}

} // namespace zelm
