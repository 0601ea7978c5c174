//===- Modals.cpp - Every message box and file dialog, through one seam ---===//

#include "controls/Modals.h"

#include <QMessageBox>
#include <QStringDecoder>

namespace qm {

QString MessageText(std::string_view message) {
    const QByteArray bytes(message.data(), static_cast<qsizetype>(message.size()));
    QStringDecoder local(QStringDecoder::System);
    const QString text = local(bytes);
    return local.hasError() ? QString::fromLatin1(bytes) : text;
}

namespace Modals {

namespace {

std::shared_ptr<ModalAnswers>& Installed() {
    static std::shared_ptr<ModalAnswers> answers;
    return answers;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void ShowMessage(QWidget* parent, const QString& caption, const QString& text, MessageIcon icon) {
    if (ModalAnswers* answers = Answers()) {
        answers->ShowMessage(parent, caption, text, icon);
        return;
    }
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool AskToGoOn(QWidget* parent, const QString& caption, const QString& text) {
    if (ModalAnswers* answers = Answers())
        return answers->AskToGoOn(parent, caption, text);
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

SaveChoice AskToSaveChanges(QWidget* parent, const QString& caption, const QString& text) {
    if (ModalAnswers* answers = Answers())
        return answers->AskToSaveChanges(parent, caption, text);
    QMessageBox box(QMessageBox::Question, caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return SaveChoice::Save;
    case QMessageBox::No:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

void SetAnswers(std::shared_ptr<ModalAnswers> answers) {
    Installed() = std::move(answers);
}

ModalAnswers* Answers() {
    return Installed().get();
}

} // namespace Modals

} // namespace qm
