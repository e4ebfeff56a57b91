#include "scripthook.h"
#include "remote.h"
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {
void print(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

struct Script {
    Remote *window;
    QStringList ids;
    QTimer timer;
    bool started = false;

    void next()
    {
        timer.stop();
        if (ids.isEmpty()) {
            print(QStringLiteral("ZARVO-SCRIPT-DONE"));
            QCoreApplication::exit(0);
            return;
        }
        auto *box = window->findChild<QLineEdit *>(QStringLiteral("Text1"));
        box->setText(ids.takeFirst());
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(box, &enter);
        timer.start(3000);
    }
};
} // namespace

void runClientScriptFromEnvironment(Remote &window)
{
    if (!qEnvironmentVariableIsSet("ZARVO_CLIENT_SCRIPT"))
        return;
    auto script = std::make_shared<Script>();
    script->window = &window;
    script->ids = qEnvironmentVariable("ZARVO_CLIENT_SCRIPT").split(QLatin1Char(','));
    script->timer.setSingleShot(true);
    QObject::connect(&script->timer, &QTimer::timeout, &window, [script] {
        script->started = true;
        script->next();
    });
    QObject::connect(&window, &Remote::messageHandled, &window, [script](const QByteArray &message) {
        const auto *name = script->window->findChild<QLabel *>(QStringLiteral("Label5"));
        const auto *action = script->window->findChild<QLabel *>(QStringLiteral("Label6"));
        print(QStringLiteral("ZARVO-RESULT ") + name->text() + QLatin1Char('|') + action->text());
        if (message == "CRA" && script->started)
            return;
        script->started = true;
        script->next();
    });
    script->timer.start(5000);
}
