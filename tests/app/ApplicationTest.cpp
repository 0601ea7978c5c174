//===- ApplicationTest.cpp - The application-wide error box ---------------===//

#include "AppTestSupport.h"

#include "app/Application.h"

#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QTest>

#include <stdexcept>

using namespace qm;
using namespace qm::test;

namespace {

/// Throws out of its event handler, as a failing command would.
class ThrowingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Cannot read 'Quillmark.log'");
        return QObject::event(event);
    }
};

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void anErrorEscapingAnyHandlerIsShownAndTheLoopGoesOn() {
        auto* application = qobject_cast<TApplication*>(QCoreApplication::instance());
        QVERIFY(application);
        auto prompts = std::make_shared<ScriptedPrompts>();
        Modals::SetAnswers(prompts);

        ThrowingObject thrower;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(prompts->Messages.size(), 1);
        QCOMPARE(prompts->Messages[0].Caption, QStringLiteral("Quillmark"));
        QCOMPARE(prompts->Messages[0].Text, QStringLiteral("Cannot read 'Quillmark.log'"));
        QCOMPARE(prompts->Messages[0].Icon, MessageIcon::Critical);

        // The loop still delivers events afterwards.
        bool delivered = false;
        QMetaObject::invokeMethod(
            application, [&delivered] { delivered = true; }, Qt::QueuedConnection);
        QTRY_VERIFY(delivered);
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quillmark"));
        Modals::SetAnswers(nullptr);
    }

    void theWindowIconIsTheProgramsOwnAndCanBeDrawn() {
        // Drawing the SVG icon needs Qt's SVG plugin; a missing one leaves
        // every window without an icon.
        const QIcon icon = QGuiApplication::windowIcon();
        QVERIFY(!icon.isNull());
        const QImage drawn = icon.pixmap(32, 32).toImage();
        QCOMPARE(drawn.size(), QSize(32, 32));
        QVERIFY(drawn.pixelColor(16, 16).alpha() > 0);
        QCOMPARE(QGuiApplication::desktopFileName(), AppId);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ApplicationTest.moc"
