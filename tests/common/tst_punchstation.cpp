// The result lines the clock window and the terminal share, as rendered: each caption stands
// clear of its value, in the desktop's type, with the layout's places kept. Runs under a
// 24-hour clock, where the action line's type is not made smaller and the lines are tightest.
#include "punchstation.h"
#include "systemtexts.h"
#include "uiutil.h"
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

class TestPunchStation : public QObject {
    Q_OBJECT
private slots:
    void captionsStandClearOfTheirValues_data()
    {
        QTest::addColumn<qreal>("points");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("line");
        for (qreal points : {9.0, 11.0}) {
            const QByteArray size = QByteArray::number(points) + "pt, ";
            QTest::newRow(size + "Name") << points << "Label3" << "Label5";
            QTest::newRow(size + "Action") << points << "Label4" << "Label6";
        }
    }

    void captionsStandClearOfTheirValues()
    {
        QFETCH(qreal, points);
        QFETCH(QString, caption);
        QFETCH(QString, line);
        QFont font = QApplication::font();
        font.setPointSizeF(points);
        QApplication::setFont(font);
        QWidget window;
        window.resize(zarvo::twips(6675), zarvo::twips(4215));
        const zarvo::PunchStation s = zarvo::buildPunchStation(&window, 1320, 3120, 1320);
        s.name->setText(QStringLiteral("Willemina Lee"));
        s.action->setText(QStringLiteral("Signed Out At ") + zarvo::SystemTexts::time(QTime(23, 58, 58)));
        window.show();
        QLabel *cap = s.frame->findChild<QLabel *>(caption);
        QLabel *value = s.frame->findChild<QLabel *>(line);
        // Where ink is in the rendered frame, along the caption's band.
        const QImage shot = s.frame->grab().toImage();
        shot.save(QStringLiteral("%1/punchstation-%2pt.png").arg(QCoreApplication::applicationDirPath()).arg(points));
        const auto inked = [&](int x) {
            for (int y = cap->y(); y <= cap->geometry().bottom(); ++y)
                if (qGray(shot.pixel(x, y)) < 128)
                    return true;
            return false;
        };
        int captionEnd = -1;
        for (int x = cap->x(); x < value->x(); ++x)
            if (inked(x))
                captionEnd = x;
        int valueStart = -1;
        for (int x = value->x(); x < shot.width() && valueStart < 0; ++x)
            if (inked(x))
                valueStart = x;
        QVERIFY(captionEnd > cap->x());
        QVERIFY(valueStart > 0);
        const int blank = QFontMetrics(value->font()).horizontalAdvance(QLatin1Char(' '));
        QVERIFY2(valueStart - captionEnd > 2 * blank,
                 qPrintable(QStringLiteral("%1 px apart").arg(valueStart - captionEnd - 1)));
        // The places stay, and the action line still shows whole.
        QCOMPARE(value->geometry(), line == "Label5" ? zarvo::twipsRect(720, 240, 2175, 255)
                                                     : zarvo::twipsRect(720, 480, 2175, 255));
        QVERIFY(s.action->fontMetrics().horizontalAdvance(s.action->text()) <= s.action->contentsRect().width());
    }
};

int main(int argc, char **argv)
{
    qputenv("LC_ALL", "en_GB.UTF-8");
    qputenv("LANG", "en_GB.UTF-8");
    QApplication app(argc, argv);
    TestPunchStation t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_punchstation.moc"
