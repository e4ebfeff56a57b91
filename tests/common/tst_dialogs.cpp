// Boxes as the user sees them: each one is at least as wide as its whole title needs in the
// window frame, whatever the length of its text, and still answers as before.
#include "dialogs.h"
#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

using namespace zarvo;

namespace {
/// The title in the title bar's type, set bold, beside the window icon and the three frame
/// buttons (each about a bar's height wide).
int titleNeed(const QWidget *window, const QString &title)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int bar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return QFontMetrics(font).horizontalAdvance(title) + 4 * bar;
}

template <class T> T *shownDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<T *>(w); d && d->isVisible())
            return d;
    return nullptr;
}
} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Dialogs::setHandler(nullptr);
        Dialogs::setProgramTitle(QStringLiteral("Zarvo Punch Server"));
    }
    void cleanup()
    {
        // A failed row leaves no box behind for the next one.
        while (QMessageBox *box = shownDialog<QMessageBox>())
            box->done(0);
    }

    void boxIsAsWideAsItsTitle_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shownTitle");
        QTest::newRow("Access Denied") << "Incorrect Password" << "Access Denied" << "Access Denied";
        QTest::newRow("Incomplete Information") << "Some Fields are Empty" << "Incomplete Information"
                                                << "Incomplete Information";
        QTest::newRow("two lines under a long title")
            << "No Current Records Found\r\rPlease Add an Employee to Continue..."
            << "Error! Searching Employee Record" << "Error! Searching Employee Record";
        QTest::newRow("program title") << "Could not open database ..." << "" << "Zarvo Punch Server";
        QTest::newRow("text wider than its title")
            << "Unable to Reach Server! Please Make Sure They're Connected." << "Error In Connection"
            << "Error In Connection";
    }

    void boxIsAsWideAsItsTitle()
    {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, shownTitle);
        std::optional<BoxAnswer> answer;
        Dialogs::messageAsync(nullptr, text, title, BoxIcon::Exclamation, [&](BoxAnswer a) { answer = a; });
        QTRY_VERIFY(shownDialog<QMessageBox>());
        QMessageBox *box = shownDialog<QMessageBox>();
        QCoreApplication::processEvents(); // any layout pass after showing keeps the width
        QCOMPARE(box->windowTitle(), shownTitle);
        QVERIFY2(box->width() >= titleNeed(box, shownTitle),
                 qPrintable(QStringLiteral("%1 < %2").arg(box->width()).arg(titleNeed(box, shownTitle))));
        // The text still shows whole and the button lies inside the box.
        QLabel *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
        QAbstractButton *ok = box->button(QMessageBox::Ok);
        QVERIFY(box->rect().contains(ok->geometry()));
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(answer.has_value());
        QCOMPARE(*answer, BoxAnswer::Ok);
    }

    void waitingBoxIsAsWideAsItsTitleAndAnswers()
    {
        const QString title = QStringLiteral("You're About to Close Zarvo Punch Clock");
        int width = 0;
        int need = 0;
        QTimer::singleShot(0, this, [&] {
            QMessageBox *box = shownDialog<QMessageBox>();
            if (!box)
                return;
            width = box->width();
            need = titleNeed(box, title);
            box->button(QMessageBox::No)->click();
        });
        const BoxAnswer a = Dialogs::message(nullptr, QStringLiteral("Are You Sure to Exit Zarvo Punch"),
                                             title, BoxIcon::Question, BoxButtons::YesNo);
        QCOMPARE(a, BoxAnswer::No);
        QVERIFY(need > 0);
        QVERIFY2(width >= need, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(need)));
    }

    void inputBoxIsAsWideAsItsTitle()
    {
        const QString title = QStringLiteral("Connect to Remote Server");
        int width = 0;
        int need = 0;
        QTimer::singleShot(0, this, [&] {
            QInputDialog *d = shownDialog<QInputDialog>();
            if (!d)
                return;
            width = d->width();
            need = titleNeed(d, title);
            d->setTextValue(QStringLiteral("10.0.0.7"));
            d->accept();
        });
        const auto answer = Dialogs::input(nullptr, QStringLiteral("Please Enter the Server's IP Address"), title);
        QCOMPARE(answer, std::optional<QString>(QStringLiteral("10.0.0.7")));
        QVERIFY(need > 0);
        QVERIFY2(width >= need, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(need)));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
