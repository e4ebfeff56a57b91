#include "scripthook.h"
#include "remote.h"
#include "terminallink.h"
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
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

namespace {
QString lines(Remote &window)
{
    const auto *name = window.findChild<QLabel *>(QStringLiteral("Label5"));
    const auto *action = window.findChild<QLabel *>(QStringLiteral("Label6"));
    return name->text() + QLatin1Char('|') + action->text();
}

/// "-": IDs come from standard input, one a line, typed as they come; the status line and the
/// result lines are written out whenever they change.
void runFromStandardInput(Remote &window)
{
    auto *in = new QSocketNotifier(0, QSocketNotifier::Read, &window);
    auto *file = new QFile(&window);
    file->open(0, QIODevice::ReadOnly | QIODevice::Unbuffered);
    QObject::connect(in, &QSocketNotifier::activated, &window, [&window, file, in] {
        const QByteArray line = file->readLine().trimmed();
        if (line.isEmpty() && file->atEnd()) {
            in->setEnabled(false);
            return;
        }
        if (line == "quit") {
            QCoreApplication::exit(0);
            return;
        }
        auto *box = window.findChild<QLineEdit *>(QStringLiteral("Text1"));
        box->setText(QString::fromLocal8Bit(line));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(box, &enter);
        print(QStringLiteral("ZARVO-TYPED ") + QString::fromLocal8Bit(line) + QLatin1Char(' ') + lines(window));
    });
    QObject::connect(&window, &Remote::messageHandled, &window,
                     [&window](const QByteArray &) { print(QStringLiteral("ZARVO-RESULT ") + lines(window)); });
    // Every failed attempt, once the window has made its link.
    QTimer::singleShot(0, &window, [&window] {
        if (window.link())
            QObject::connect(window.link(), &TerminalLink::failed, &window, [](int error, const QString &text) {
                print(QStringLiteral("ZARVO-FAILED %1 %2").arg(error).arg(text));
            });
    });
    if (auto *status = window.findChild<QLabel *>(QStringLiteral("StatusLine"))) {
        auto *watch = new QTimer(&window);
        auto last = std::make_shared<QString>();
        QObject::connect(watch, &QTimer::timeout, &window, [status, last] {
            // The countdown's seconds are left out: the state is what a test waits for.
            QString text = status->text();
            text.replace(QRegularExpression(QStringLiteral("in \\d+ s")), QStringLiteral("in N s"));
            text.replace(QLatin1Char('\n'), QLatin1Char('|'));
            if (text != *last)
                print(QStringLiteral("ZARVO-STATUS ") + (*last = text));
        });
        watch->start(20);
    }
}
} // namespace

void runClientScriptFromEnvironment(Remote &window)
{
    if (!qEnvironmentVariableIsSet("ZARVO_CLIENT_SCRIPT"))
        return;
    if (qEnvironmentVariable("ZARVO_CLIENT_SCRIPT") == QLatin1String("-")) {
        runFromStandardInput(window);
        return;
    }
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
