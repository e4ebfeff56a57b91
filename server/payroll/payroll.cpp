#include "payroll.h"
#include "clock.h"
#include "dialogs.h"
#include "module1.h"
#include "windowstore.h"
#include "reportview.h"
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace zarvo;

namespace {
/// The system's short date form, always with a four-digit year.
QString pickerFormat()
{
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}
} // namespace

Payroll::Payroll(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("Payroll"));
    setWindowTitle(QStringLiteral("Payroll Report"));

    auto *listFrame = new QGroupBox(QStringLiteral("Employee List"), this);
    listFrame->setObjectName(QStringLiteral("Frame1"));
    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Employee ID")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSectionResizeMode(QHeaderView::Stretch); // two equal columns
    m_list->header()->setSectionsMovable(false);
    (new QVBoxLayout(listFrame))->addWidget(m_list);

    auto label = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto picker = [this](const char *name) {
        auto *p = new QDateEdit(this);
        p->setObjectName(QString::fromLatin1(name));
        p->setCalendarPopup(true);
        p->setDisplayFormat(pickerFormat());
        return p;
    };
    QLabel *hint = label("Label1", QStringLiteral("Select the period date range by start date and end date "
                                                  "from the 'From' and 'To'  dropdowns"));
    hint->setWordWrap(true);
    m_from = picker("DTPicker1");
    m_to = picker("DTPicker2");
    QLabel *fromLabel = label("Label2", QStringLiteral("From"));
    QLabel *toLabel = label("Label3", QStringLiteral("To"));
    fromLabel->setBuddy(m_from);
    toLabel->setBuddy(m_to);

    auto *typeFrame = new QGroupBox(QStringLiteral("Report Type"), this);
    typeFrame->setObjectName(QStringLiteral("Frame2"));
    m_detail = new QPushButton(QStringLiteral("Full Detail Report"), typeFrame);
    m_detail->setObjectName(QStringLiteral("PushButton1"));
    m_summary = new QPushButton(QStringLiteral("Summary Report"), typeFrame);
    m_summary->setObjectName(QStringLiteral("PushButton2"));
    auto *typeRow = new QHBoxLayout(typeFrame);
    typeRow->addWidget(m_detail);
    typeRow->addWidget(m_summary);
    m_markAll = new QCheckBox(QStringLiteral("Mark All Employee"), this);
    m_markAll->setObjectName(QStringLiteral("CheckBox1"));

    auto *dates = new QGridLayout;
    dates->addWidget(fromLabel, 0, 0);
    dates->addWidget(toLabel, 0, 1);
    dates->addWidget(m_from, 1, 0);
    dates->addWidget(m_to, 1, 1);
    auto *side = new QVBoxLayout;
    side->addWidget(hint);
    side->addSpacing(8);
    side->addLayout(dates);
    side->addSpacing(12);
    side->addWidget(typeFrame);
    side->addWidget(m_markAll);
    side->addStretch();
    auto *root = new QHBoxLayout(this);
    root->addWidget(listFrame, 3);
    root->addLayout(side, 2);

    setFocusConsoleOnClose(true);
    connect(m_markAll, &QCheckBox::clicked, this, &Payroll::markAllClicked);
    connect(m_detail, &QPushButton::clicked, this, &Payroll::detailClicked);
    connect(m_summary, &QPushButton::clicked, this, &Payroll::summaryClicked);
}

Payroll::~Payroll() = default;

bool Payroll::load()
{
    const QDate today = Clock::now().date();
    m_from->setDate(today);
    m_to->setDate(today);
    if (!openRecordSetChecked(m_employees, QStringLiteral("Select * from employee"), this))
        return false;
    try {
        for (; !m_employees.eof(); m_employees.moveNext()) {
            auto *item = new QTreeWidgetItem(m_list);
            item->setText(0, m_employees.text(QStringLiteral("emp_fname")) + QLatin1Char(' ') +
                                 m_employees.text(QStringLiteral("emp_lname")));
            item->setText(1, m_employees.text(QStringLiteral("emp_id")));
            item->setCheckState(0, Qt::Unchecked);
        }
    } catch (const DbError &) {
        // The rows read so far stay listed.
    }
    return true;
}

void Payroll::markAllClicked()
{
    const Qt::CheckState state = m_markAll->isChecked() ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        m_list->topLevelItem(i)->setCheckState(0, state);
}

PayPeriod Payroll::period() const { return {m_from->date(), m_to->date()}; }

void Payroll::detailClicked()
{
    if (m_run)
        return;
    std::optional<ChosenEmployee> chosen;
    for (int i = 0; i < m_list->topLevelItemCount() && !chosen; ++i) {
        const QTreeWidgetItem *item = m_list->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            chosen = ChosenEmployee{item->text(1), item->text(0)};
    }
    startRun(new DetailRun(Module1::instance().db, period(), chosen, this));
}

void Payroll::summaryClicked()
{
    if (m_run)
        return;
    QStringList ids;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_list->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            ids << item->text(1);
    }
    startRun(new SummaryRun(Module1::instance().db, period(), ids, this));
}

void Payroll::startRun(PayrollRun *run)
{
    // One run at a time; the window stays usable otherwise and punches go on meanwhile.
    m_run = run;
    // The pressed button is disabled while the run lasts; the focus comes back to it after.
    m_focusBeforeRun = focusWidget();
    m_detail->setEnabled(false);
    m_summary->setEnabled(false);
    setCursor(Qt::BusyCursor);
    connect(run, &PayrollRun::finished, this, &Payroll::runFinished, Qt::QueuedConnection);
    run->start();
}

void Payroll::runFinished()
{
    PayrollRun *run = m_run;
    m_run = nullptr;
    m_detail->setEnabled(true);
    m_summary->setEnabled(true);
    if (m_focusBeforeRun)
        m_focusBeforeRun->setFocus();
    unsetCursor();
    if (!run)
        return;
    run->deleteLater();
    // Every chunk is committed by now: no transaction is open while a box waits.
    switch (run->outcome()) {
    case PayrollRun::Outcome::Failed:
        Dialogs::message(this, QStringLiteral("The payroll report could not be made: %1").arg(run->error()),
                         QStringLiteral("Report Failed"), BoxIcon::Exclamation);
        break;
    case PayrollRun::Outcome::Incomplete:
        Dialogs::message(this, incompletePairMessage(), incompletePairTitle(), BoxIcon::Information);
        break;
    case PayrollRun::Outcome::Report:
        if (auto *detail = qobject_cast<DetailRun *>(run)) {
            emit detailReportReady(detail->captions());
            showDetailReport(this, detail->captions());
        } else if (auto *summary = qobject_cast<SummaryRun *>(run)) {
            emit summaryReportReady(summary->captions());
            showSummaryReport(this, summary->captions());
        }
        break;
    case PayrollRun::Outcome::NoReport:
    case PayrollRun::Outcome::Running:
        break;
    }
}
