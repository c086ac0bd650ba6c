// Stand-ins for the window tests: a fake prepared document, scripted file dialogs, recorded
// message boxes and a modal runner that drives a dialog without blocking.
#pragma once

#include "rezmira/shell/FileDialogs.h"
#include "rezmira/shell/MessageBoxes.h"
#include "rezmira/shell/ModalRunner.h"
#include "rezmira/shell/PreparedDocument.h"

#include <QList>
#include <QPainter>
#include <QSet>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace shelltest {

/// `count` A4 pages (794 × 1123 units); records every page drawn.
class FakeDocument : public rezmira::PreparedDocument {
public:
    explicit FakeDocument(int count, QColor ink = Qt::black) : m_count(count), m_ink(ink) {}
    int pageCount() const override { return m_count; }
    QSizeF pageSize(int) const override { return QSizeF(794, 1123); }
    void drawPage(int index, QPainter &painter) const override {
        drawn.append(index);
        painter.fillRect(QRectF(0, 0, 794, 1123), Qt::white);
        painter.setPen(m_ink);
        painter.drawText(QRectF(80, 80, 600, 40), QStringLiteral("Страница %1").arg(index + 1));
        painter.fillRect(QRectF(80, 140, 634, 4), m_ink);
    }
    mutable QList<int> drawn;
    QSet<int> drawnPages() const { return QSet<int>(drawn.begin(), drawn.end()); }

private:
    int m_count;
    QColor m_ink;
};

/// Answers file dialogs from a queue (a path, or nullopt for cancel) and records the requests.
class ScriptedFileDialogs : public rezmira::FileDialogs {
public:
    std::deque<std::optional<QString>> answers;
    QList<rezmira::FileDialogRequest> requests;
    std::optional<QString> ask(QWidget *, const rezmira::FileDialogRequest &request) override {
        requests.append(request);
        if (answers.empty())
            return std::nullopt;
        const bool cancelled = !answers.front().has_value();
        const QString path = answers.front().value_or(QString());
        answers.pop_front();
        if (cancelled)
            return std::nullopt;
        return path;
    }
};

struct RecordedBox {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
};

/// Installs scripted file dialogs, a recorder of message boxes and a modal runner for the life
/// of the object; the previous ones come back afterwards.
class ServiceFakes {
public:
    ServiceFakes() {
        auto dialogs = std::make_unique<ScriptedFileDialogs>();
        files = dialogs.get();
        m_previousDialogs = rezmira::installFileDialogs(std::move(dialogs));
        m_previousPresenter = rezmira::installMessagePresenter(
            [this](QWidget *, QMessageBox::Icon icon, const QString &caption, const QString &text) {
                boxes.append(RecordedBox{icon, caption, text});
            });
        m_previousRunner = rezmira::installModalRunner([this](QDialog &dialog) {
            ++modalShowings;
            if (!onModal)
                return int(QDialog::Rejected);
            dialog.setResult(QDialog::Rejected);
            dialog.show();
            onModal(dialog);
            const int result = dialog.result();
            dialog.hide();
            return result;
        });
    }
    ~ServiceFakes() {
        rezmira::installFileDialogs(std::move(m_previousDialogs));
        rezmira::installMessagePresenter(std::move(m_previousPresenter));
        rezmira::installModalRunner(std::move(m_previousRunner));
    }

    ScriptedFileDialogs *files;
    QList<RecordedBox> boxes;
    int modalShowings = 0;
    /// What the user does while a dialog is shown (clicks that close it); none: it is cancelled.
    std::function<void(QDialog &)> onModal;

private:
    std::unique_ptr<rezmira::FileDialogs> m_previousDialogs;
    rezmira::MessagePresenter m_previousPresenter;
    rezmira::ModalRunner m_previousRunner;
};

} // namespace shelltest
