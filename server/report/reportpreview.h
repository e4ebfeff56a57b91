#pragma once
// The report window inside the console: the pages drawn as paper with zoom and page
// navigation, "Print…", "Save as PDF…" and "Export…" of the bound table, and a notice line under
// the toolbar with a list behind it (what the figures leave out or what needs a look).

#include "consolewindow.h"
#include <QStringList>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolBar;
class QAction;

namespace zarvo::report {

class PageView;
class ReportDocument;

/// Writes the bound table to a CSV or XLSX file (chosen by the file's suffix); false with a
/// reason when it cannot.
using TableExporter = std::function<bool(const QString &table, const QString &path, QString *error)>;

class ReportPreview : public ConsoleWindow {
    Q_OBJECT
public:
    /// `table` names the bound table ("details", "summary"): "Export…"'s file and sheet name.
    explicit ReportPreview(const QString &designName, const QString &caption, const QString &table,
                           QWidget *parent = nullptr);
    ~ReportPreview() override;

    void setDocument(std::shared_ptr<const ReportDocument> doc);
    std::shared_ptr<const ReportDocument> document() const { return m_doc; }
    /// Shows the notice line under the toolbar and the list behind its button.
    void setNotice(const QString &line, const QStringList &items);
    void setExporter(TableExporter exporter);

    int page() const;
    void showPage(int index);
    void setZoom(double zoom);
    PageView *pageView() const { return m_view; }

    /// Prints every page (or the printer's page range) onto an already set-up printer.
    bool printTo(QPrinter &printer) const;
    /// "Save as PDF…" and "Export…" with a file already chosen; boxes tell of failures.
    bool saveAsPdf(const QString &path);
    bool exportTo(const QString &path);

    QSize sizeHint() const override { return {860, 620}; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void printClicked();
    void pdfClicked();
    void exportClicked();
    void zoomChosen(int index);
    void updateNavigation();
    void fitWidth();

    QString m_table;
    std::shared_ptr<const ReportDocument> m_doc;
    TableExporter m_exporter;
    QToolBar *m_toolBar = nullptr;
    QAction *m_first = nullptr;
    QAction *m_previous = nullptr;
    QAction *m_next = nullptr;
    QAction *m_last = nullptr;
    QAction *m_export = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QWidget *m_noticeLine = nullptr;
    QLabel *m_notice = nullptr;
    QPushButton *m_listButton = nullptr;
    QListWidget *m_list = nullptr;
    QScrollArea *m_scroll = nullptr;
    PageView *m_view = nullptr;
    bool m_fitWidth = true;
};

} // namespace zarvo::report
