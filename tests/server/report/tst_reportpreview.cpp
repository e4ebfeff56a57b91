#include <QtTest>
class TestReportPreview : public QObject { Q_OBJECT };
QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
