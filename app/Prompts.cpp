//===- Prompts.cpp - Message boxes and file dialogs on the screen ---------===//

#include "app/Prompts.h"

#include "controls/DlgsPlus.h"

#include <QMessageBox>

namespace qm {

namespace {

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

class ScreenPrompts final : public Prompts {
public:
    void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                     MessageIcon icon) override {
        QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, parent);
        // Texts come from files and settings: never read them as markup.
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }

    bool AskToGoOn(QWidget* parent, const QString& caption, const QString& text) override {
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    bool RunFileDialog(TFileDlgPlus& dialog) override { return dialog.Execute(); }
};

} // namespace

std::shared_ptr<Prompts> MakeScreenPrompts() {
    return std::make_shared<ScreenPrompts>();
}

} // namespace qm
