#include "reportpreview.h"
#include "dialogs.h"
#include "pageview.h"
#include "reportdocument.h"
#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace zarvo::report {
namespace {
const double kZooms[] = {0.5, 0.75, 1.0, 1.5, 2.0};
} // namespace

ReportPreview::ReportPreview(const QString &designName, const QString &caption, const QString &table,
                             QWidget *parent)
    : ConsoleWindow(parent), m_table(table)
{
    setObjectName(designName);
    setWindowTitle(caption);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto action = [this](const char *name, const QString &text, auto slot) {
        QAction *a = m_toolBar->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    m_first = action("FirstPage", QStringLiteral("|<"), [this] { showPage(0); });
    m_first->setToolTip(QStringLiteral("First Page"));
    m_previous = action("PreviousPage", QStringLiteral("<"), [this] { showPage(page() - 1); });
    m_previous->setToolTip(QStringLiteral("Previous Page"));
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("PageNumber"));
    m_pageBox->setMinimum(1);
    m_pageBox->setKeyboardTracking(false);
    m_toolBar->addWidget(m_pageBox);
    m_pageCount = new QLabel(this);
    m_pageCount->setObjectName(QStringLiteral("PageCount"));
    m_toolBar->addWidget(m_pageCount);
    m_next = action("NextPage", QStringLiteral(">"), [this] { showPage(page() + 1); });
    m_next->setToolTip(QStringLiteral("Next Page"));
    m_last = action("LastPage", QStringLiteral(">|"), [this] { showPage(m_doc ? m_doc->pageCount() - 1 : 0); });
    m_last->setToolTip(QStringLiteral("Last Page"));
    m_toolBar->addSeparator();
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("Zoom"));
    m_zoomBox->addItem(QStringLiteral("Fit Width"));
    for (double z : kZooms)
        m_zoomBox->addItem(QStringLiteral("%1%").arg(qRound(z * 100)), z);
    m_toolBar->addWidget(m_zoomBox);
    m_toolBar->addSeparator();
    action("Print", QStringLiteral("Print…"), &ReportPreview::printClicked);
    action("SaveAsPdf", QStringLiteral("Save as PDF…"), &ReportPreview::pdfClicked);
    m_export = action("Export", QStringLiteral("Export…"), &ReportPreview::exportClicked);
    m_export->setEnabled(false);
    // The bar's commands are reached with Tab and pressed with Enter, like any other button.
    for (QToolButton *b : m_toolBar->findChildren<QToolButton *>())
        b->setFocusPolicy(Qt::TabFocus);

    m_noticeLine = new QWidget(this);
    m_noticeLine->setObjectName(QStringLiteral("NotCountedLine"));
    m_notice = new QLabel(m_noticeLine);
    m_notice->setObjectName(QStringLiteral("NotCounted"));
    m_listButton = new QPushButton(QStringLiteral("Show List"), m_noticeLine);
    m_listButton->setObjectName(QStringLiteral("NotCountedList"));
    m_listButton->setCheckable(true);
    auto *noticeLayout = new QHBoxLayout(m_noticeLine);
    noticeLayout->setContentsMargins(6, 2, 6, 2);
    noticeLayout->addWidget(m_notice, 1);
    noticeLayout->addWidget(m_listButton);
    m_noticeLine->hide();
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("NotCountedPairs"));
    m_list->setMaximumHeight(120);
    m_list->hide();

    m_view = new PageView;
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("Pages"));
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(m_toolBar);
    root->addWidget(m_noticeLine);
    root->addWidget(m_list);
    root->addWidget(m_scroll, 1);

    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int v) { showPage(v - 1); });
    connect(m_zoomBox, &QComboBox::activated, this, &ReportPreview::zoomChosen);
    connect(m_listButton, &QPushButton::toggled, this, [this](bool on) {
        m_list->setVisible(on);
        m_listButton->setText(on ? QStringLiteral("Hide List") : QStringLiteral("Show List"));
    });
    resize(sizeHint());
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::setDocument(std::shared_ptr<const ReportDocument> doc)
{
    m_doc = std::move(doc);
    m_view->setDocument(m_doc);
    if (m_fitWidth)
        fitWidth();
    updateNavigation();
    m_scroll->verticalScrollBar()->setValue(0);
}

void ReportPreview::setNotCounted(const QString &line, const QStringList &pairs)
{
    m_list->clear();
    m_list->addItems(pairs);
    m_notice->setText(line);
    m_listButton->setVisible(!pairs.isEmpty());
    if (pairs.isEmpty())
        m_listButton->setChecked(false);
    m_noticeLine->show();
}

void ReportPreview::setExporter(TableExporter exporter)
{
    m_exporter = std::move(exporter);
    m_export->setEnabled(bool(m_exporter));
}

int ReportPreview::page() const { return m_view->page(); }

void ReportPreview::showPage(int index)
{
    if (!m_doc)
        return;
    m_view->setPage(std::clamp(index, 0, std::max(0, m_doc->pageCount() - 1)));
    updateNavigation();
}

void ReportPreview::setZoom(double zoom)
{
    m_fitWidth = false;
    m_view->setZoom(zoom);
}

void ReportPreview::fitWidth()
{
    // The width left once the vertical scroll bar shows, so fitting never adds a horizontal one.
    const int width = m_scroll->width() - 2 * m_scroll->frameWidth() -
                      m_scroll->verticalScrollBar()->sizeHint().width() - 2;
    m_view->setZoom(m_view->zoomForWidth(std::max(width, 200)));
}

void ReportPreview::resizeEvent(QResizeEvent *event)
{
    ConsoleWindow::resizeEvent(event);
    if (m_fitWidth && m_doc)
        fitWidth();
}

void ReportPreview::zoomChosen(int index)
{
    if (index == 0) {
        m_fitWidth = true;
        fitWidth();
        return;
    }
    setZoom(m_zoomBox->itemData(index).toDouble());
}

void ReportPreview::updateNavigation()
{
    const int count = m_doc ? m_doc->pageCount() : 0;
    const int current = page();
    const QSignalBlocker block(m_pageBox);
    m_pageBox->setMaximum(std::max(1, count));
    m_pageBox->setValue(current + 1);
    m_pageCount->setText(QStringLiteral(" of %1 ").arg(count));
    m_first->setEnabled(current > 0);
    m_previous->setEnabled(current > 0);
    m_next->setEnabled(current + 1 < count);
    m_last->setEnabled(current + 1 < count);
}

bool ReportPreview::printTo(QPrinter &printer) const
{
    if (!m_doc)
        return false;
    printer.setFullPage(true);
    // The pages follow the printer's paper: laid out again when it differs from the preview's.
    const QPageLayout pl = printer.pageLayout();
    const PageSetup setup = PageSetup::fromPageSize(pl.pageSize(), pl.orientation());
    std::shared_ptr<const ReportDocument> doc = m_doc;
    if (setup.paper.toSize() != m_doc->pageSetup().paper.toSize())
        doc = std::make_shared<ReportDocument>(m_doc->design(), m_doc->table(), setup);
    int from = 1, to = doc->pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(to, printer.toPage() > 0 ? printer.toPage() : to);
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = page() + 1;
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int p = from; p <= to; ++p) {
        if (p > from)
            printer.newPage();
        doc->paintPage(painter, p - 1);
    }
    return painter.end();
}

void ReportPreview::printClicked()
{
    if (!m_doc)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    printer.setPageLayout(m_doc->pageSetup().pageLayout());
    printer.setFromTo(1, m_doc->pageCount());
    if (!Dialogs::print(this, &printer))
        return;
    if (!printTo(printer))
        Dialogs::message(this, QStringLiteral("The report could not be printed."), windowTitle(),
                         BoxIcon::Exclamation);
}

bool ReportPreview::saveAsPdf(const QString &path)
{
    QString error;
    if (m_doc && m_doc->writePdf(path, &error))
        return true;
    Dialogs::message(this, QStringLiteral("The PDF file could not be written.\r\r%1").arg(error),
                     windowTitle(), BoxIcon::Exclamation);
    return false;
}

void ReportPreview::pdfClicked()
{
    auto file = Dialogs::saveFileName(this, QStringLiteral("Save as PDF"),
                                      QStringLiteral("PDF files (*.pdf)"), objectName() + ".pdf");
    if (!file)
        return;
    // Only ever a .pdf file: a chosen name such as the database's own gets ".pdf" added.
    QString path = *file;
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".pdf");
    saveAsPdf(path);
}

bool ReportPreview::exportTo(const QString &path)
{
    QString error;
    if (m_exporter && m_exporter(m_table, path, &error))
        return true;
    Dialogs::message(this, QStringLiteral("The file could not be written.\r\r%1").arg(error),
                     windowTitle(), BoxIcon::Exclamation);
    return false;
}

void ReportPreview::exportClicked()
{
    const QString csv = QStringLiteral("CSV files (*.csv)");
    const QString xlsx = QStringLiteral("Excel workbooks (*.xlsx)");
    auto file = Dialogs::saveFileName(this, QStringLiteral("Export"), csv + QStringLiteral(";;") + xlsx,
                                      m_table + QStringLiteral(".csv"));
    if (!file)
        return;
    QString path = *file;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("xlsx"))
        path += QStringLiteral(".csv");
    exportTo(path);
}

} // namespace zarvo::report
