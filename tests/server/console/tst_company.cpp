// The company information window: first use, rewriting the one row, the required boxes in
// order, the logo dialog and preview, and a write the store refuses.

#include "windowfixture.h"
#include "company.h"
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace zarvo;
using namespace zarvo::test;

namespace {
const char *const kBoxes[] = {"txtTitle", "txtAddress", "txtCity", "txtState", "txtCountry",
                              "txtZip", "txtPhone", "txtPermit", "txtLogo"};
const char *const kFields[] = {"biztitle", "address", "city", "state", "country",
                               "zip", "phone", "permit", "logo"};

QList<QStringList> companyRows(DatabaseSession &db)
{
    RecordSet rs;
    rs.open(db, "Select * from company");
    QList<QStringList> rows;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList row;
        for (const char *f : kFields)
            row << rs.text(f);
        rows << row;
    }
    return rows;
}

void addCompany(DatabaseSession &db, const QStringList &values)
{
    RecordSet rs;
    rs.open(db, "Select * from Company");
    rs.addNew();
    for (int i = 0; i < values.size(); ++i)
        rs.setValue(kFields[i], values[i]);
    rs.update();
}

QLineEdit *box(Company *c, const char *name) { return ctl<QLineEdit>(c, name); }

void fill(Company *c, const QStringList &values)
{
    for (int i = 0; i < values.size(); ++i)
        box(c, kBoxes[i])->setText(values[i]);
}

QStringList shown(Company *c)
{
    QStringList out;
    for (const char *b : kBoxes)
        out << box(c, b)->text();
    return out;
}

void clickOk(Company *c) { QTest::mouseClick(ctl<QPushButton>(c, "PushButton2"), Qt::LeftButton); }
void clickBrowse(Company *c) { QTest::mouseClick(ctl<QPushButton>(c, "PushButton1"), Qt::LeftButton); }
bool previewEmpty(Company *c) { return ctl<QLabel>(c, "Image1")->pixmap().isNull(); }

QString writePicture(const QTemporaryDir &dir, const QString &name, QColor colour)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}
} // namespace

class TestCompany : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Clock::clearFixed(); }

    void dateLabelUsesEnglishMonths()
    {
        QCOMPARE(Company::dateText(QDate(2009, 1, 7)), QString("Jan-07-2009"));
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Clock::setFixed(QDateTime(QDate(2026, 3, 5), QTime(9, 0)));
        WindowFixture f;
        Company *c = ShowInsideConsole<Company>();
        QLocale::setDefault(saved);
        QCOMPARE(ctl<QLabel>(c, "lblDate")->text(), QString("Mar-05-2026"));
        QCOMPARE(c->windowTitle(), QString("Company Information"));
        QCOMPARE(ctl<QPushButton>(c, "PushButton1")->toolTip(), QString("Location for Logo"));
        renderToPng(c, "company.png");
    }

    void firstUseCreatesTheOneRow()
    {
        WindowFixture f;
        Company *c = ShowInsideConsole<Company>();
        for (const QString &t : shown(c))
            QVERIFY(t.isEmpty());
        QVERIFY(previewEmpty(c));
        const QStringList typed = {" Zarvo Foods ", "1 Main St", "Cebu", "CE", "PH", "6000",
                                   "555-1234", "", "/nowhere/logo.bmp"};
        fill(c, typed);
        clickOk(c);
        QVERIFY(f.boxes.boxes.isEmpty());
        QTRY_VERIFY(!f.isOpen<Company>());
        QStringList stored = typed;
        stored[7] = " "; // an empty permit is kept as one blank
        QCOMPARE(companyRows(f.db()), QList<QStringList>{stored});

        Company *again = ShowInsideConsole<Company>();
        QCOMPARE(shown(again), stored);
        QVERIFY(previewEmpty(again)); // missing logo file: no message, empty preview
        QVERIFY(f.boxes.boxes.isEmpty());
    }

    void okRewritesTheFirstRow()
    {
        WindowFixture f;
        addCompany(f.db(), {"Old", "A", "B", "C", "D", "E", "F", "P-1", "/x.bmp"});
        addCompany(f.db(), {"Second", "A", "B", "C", "D", "E", "F", "P-2", "/y.bmp"});
        Company *c = ShowInsideConsole<Company>();
        QCOMPARE(box(c, "txtTitle")->text(), QString("Old"));
        box(c, "txtTitle")->setText("New  ");
        box(c, "txtPermit")->clear();
        clickOk(c);
        const auto rows = companyRows(f.db());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], (QStringList{"New  ", "A", "B", "C", "D", "E", "F", " ", "/x.bmp"}));
        QCOMPARE(rows[1].at(0), QString("Second"));
    }

    void requiredBoxesInOrder_data()
    {
        QTest::addColumn<int>("emptied");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("focus");
        QTest::newRow("title") << 0 << "Business Title Must Not Be Empty" << "Title Missing" << "txtTitle";
        QTest::newRow("address") << 1 << "Business Address Must Not Be Empty" << "Address Missing" << "txtAddress";
        QTest::newRow("city") << 2 << "City Must Not Be Empty" << "City Missing" << "txtCity";
        QTest::newRow("state") << 3 << "State Must Not Be Empty" << "State Missing" << "txtState";
        QTest::newRow("country") << 4 << "Country Must Not Be Empty" << "Country Missing" << "txtCountry";
        QTest::newRow("zip") << 5 << "Zip Code Must Not Be Empty" << "Zip Code Missing" << "txtZip";
        QTest::newRow("phone") << 6 << "Phone Number Must Not Be Empty" << "Phone Number Missing" << "txtPhone";
        QTest::newRow("logo") << 8 << "Logo Location Must Not Be Empty" << "Logo Empty" << "PushButton1";
    }
    void requiredBoxesInOrder()
    {
        QFETCH(int, emptied);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, focus);
        WindowFixture f;
        Company *c = ShowInsideConsole<Company>();
        QStringList typed = {"T", "A", "C", "S", "Co", "Z", "P", "", "/l.bmp"};
        typed[emptied].clear();
        if (emptied == 0)
            typed[2].clear(); // a later empty box does not speak first
        fill(c, typed);
        clickOk(c);
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, text);
        QCOMPARE(f.boxes.last().title, title);
        QCOMPARE(f.boxes.last().icon, BoxIcon::Information);
        QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focus);
        QVERIFY(companyRows(f.db()).isEmpty());
        QVERIFY(f.isOpen<Company>());
        QCOMPARE(shown(c), typed);
    }

    void blanksCountAsText()
    {
        WindowFixture f;
        Company *c = ShowInsideConsole<Company>();
        fill(c, {" ", " ", " ", " ", " ", " ", " ", " ", " "});
        clickOk(c);
        QVERIFY(f.boxes.boxes.isEmpty());
        QCOMPARE(companyRows(f.db()).size(), 1);
    }

    void logoDialog()
    {
        QTemporaryDir pictures;
        const QString red = writePicture(pictures, "red.png", Qt::red);
        const QString blue = writePicture(pictures, "blue.bmp", Qt::blue);
        const QString junk = pictures.filePath("junk.jpg");
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();

        WindowFixture f;
        addCompany(f.db(), {"T", "A", "C", "S", "Co", "Z", "P", "", red});
        Company *c = ShowInsideConsole<Company>();
        QVERIFY(!previewEmpty(c)); // the stored logo is shown

        clickBrowse(c); // cancelled first: the dialog held no name yet
        QCOMPARE(f.boxes.fileDialogTitles, QStringList{"Select Image"});
        QCOMPARE(box(c, "txtLogo")->text(), QString());
        QVERIFY(previewEmpty(c));
        clickOk(c);
        QCOMPARE(f.boxes.last().text, QString("Logo Location Must Not Be Empty"));

        f.boxes.files.push_back(blue);
        clickBrowse(c);
        QCOMPARE(box(c, "txtLogo")->text(), blue);
        QVERIFY(!previewEmpty(c));
        const QImage bluePreview = ctl<QLabel>(c, "Image1")->pixmap().toImage();

        f.boxes.files.push_back(junk); // unreadable: the path stays, the preview is not replaced
        clickBrowse(c);
        QCOMPARE(box(c, "txtLogo")->text(), junk);
        QCOMPARE(ctl<QLabel>(c, "Image1")->pixmap().toImage(), bluePreview);

        clickBrowse(c); // cancelled later: the last name chosen comes back
        QCOMPARE(box(c, "txtLogo")->text(), junk);
        QCOMPARE(f.boxes.boxes.size(), 1);

        clickOk(c); // the path is saved as it stands
        QCOMPARE(companyRows(f.db()).at(0).at(8), junk);
    }

    void logoDialogOffersTheImagePattern()
    {
        // Records what the open-file dialog is asked to offer; everything else is not used.
        struct FilterProbe final : DialogHandler {
            QStringList titles, filters;
            BoxAnswer message(QWidget *, const MessageBox &) override { return BoxAnswer::Ok; }
            void messageAsync(QWidget *, const MessageBox &, std::function<void(BoxAnswer)> done) override
            {
                done(BoxAnswer::Ok);
            }
            std::optional<QString> input(QWidget *, const QString &, const QString &, const QString &) override
            {
                return std::nullopt;
            }
            std::optional<QString> openFileName(QWidget *, const QString &title, const QString &filter,
                                                const QString &) override
            {
                titles << title;
                filters << filter;
                return std::nullopt;
            }
            void openWithDefaultHandler(const QString &) override {}
        };
        WindowFixture f;
        Company *c = ShowInsideConsole<Company>();
        FilterProbe probe;
        Dialogs::setHandler(&probe);
        clickBrowse(c);
        Dialogs::setHandler(&f.boxes);
        QCOMPARE(probe.titles, QStringList{"Select Image"});
        QCOMPARE(probe.filters.size(), 1);
        const QString filter = probe.filters[0];
        QVERIFY2(filter.startsWith("*.bmp;*.jpg;*.gif"), qPrintable(filter));
        // The patterns the dialog matches: exactly bitmaps, JPEGs and GIFs.
        const int open = filter.lastIndexOf('(');
        QVERIFY(open > 0 && filter.endsWith(')'));
        QStringList patterns = filter.mid(open + 1, filter.size() - open - 2).split(' ', Qt::SkipEmptyParts);
        QCOMPARE(patterns, (QStringList{"*.bmp", "*.jpg", "*.gif"}));
        QVERIFY(!filter.contains(";;")); // one filter, not a list of them
    }

    void refusedWriteKeepsWhatWasTyped()
    {
        WindowFixture f;
        Company *c = ShowInsideConsole<Company>();
        const QStringList typed = {"T", "A", "C", "S", "Co", "Z", "P", "", "/l.bmp"};
        fill(c, typed);
        f.t.db.execScript("ALTER TABLE Company RENAME TO Company_away");
        clickOk(c);
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().title, QString("Save Failed"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::Exclamation);
        QVERIFY(f.isOpen<Company>());
        QCOMPARE(shown(c), typed);
        f.t.db.execScript("ALTER TABLE Company_away RENAME TO Company");
        clickOk(c); // a second try goes through, as one new row
        QTRY_VERIFY(!f.isOpen<Company>());
        QCOMPARE(companyRows(f.db()).size(), 1);
    }

    void closedConnectionKeepsTheWindowOpen()
    {
        WindowFixture f;
        f.db().close();
        QVERIFY(ShowInsideConsole<Company>());
        QCOMPARE(f.boxes.boxes.size(), 1);
        QCOMPARE(f.boxes.last().text, QString("Could not open database ..."));
        QCOMPARE(f.boxes.last().title, QString("Zarvo Punch Server"));
        QCOMPARE(f.boxes.last().icon, BoxIcon::None);
        QVERIFY(f.isOpen<Company>());
    }
};

QTEST_MAIN(TestCompany)
#include "tst_company.moc"
