#include "modalguard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace glyphmill::testing {

namespace {

void stopTheTest(QWidget& window) {
    qFatal("A modal %s \"%s\" showed in a window test; a window under test must be handed a "
           "fake prompt and folder chooser",
           window.metaObject()->className(), qPrintable(window.windowTitle()));
}

ModalWindowReaction& reaction() {
    static ModalWindowReaction current = stopTheTest;
    return current;
}

// Watches every show of the application, as a box's exec() shows it before its loop starts.
class ModalWindowGuard final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && widget->isModal())
                reaction()(*widget);
        }
        return false;
    }
};

void installGuard() {
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new ModalWindowGuard(application));
}

} // namespace

// Before any test runs: QCoreApplication calls it as it is made.
Q_COREAPP_STARTUP_FUNCTION(installGuard)

ModalWindowReaction setModalWindowReaction(ModalWindowReaction replacement) {
    ModalWindowReaction previous = std::move(reaction());
    reaction() = std::move(replacement);
    return previous;
}

} // namespace glyphmill::testing
