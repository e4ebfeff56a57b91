#pragma once
// A banded report design as data: bands holding named controls placed in twips. A caller finds
// bands and controls by name and sets captions and pictures before the report is bound to its
// rows and shown. Widget-free.

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

namespace zarvo::report {

enum class ControlKind { Label, TextBox, Line, Rectangle, RoundedRectangle, Image };
enum class BandKind { ReportHeader, PageHeader, Detail, PageFooter, ReportFooter };

struct FontSpec {
    QString family = QStringLiteral("Arial");
    double pointSize = 8.25;
    bool bold = true;
    bool italic = false;
    bool operator==(const FontSpec &) const = default;
};

struct Control {
    QString name;
    ControlKind kind = ControlKind::Label;
    QRect rect;                       ///< twips from the band's top left corner
    FontSpec font;
    QColor foreColor = Qt::black;     ///< text, line and border colour
    QColor backColor;                 ///< fill of opaque labels and shapes; invalid = transparent
    Qt::Alignment align = Qt::AlignLeft;
    bool canGrow = false;             ///< the control grows downwards to fit its text
    Qt::PenStyle lineStyle = Qt::SolidLine;
    QString caption;                  ///< label text (set at run time for some labels)
    QString field;                    ///< text box: the bound field
    QString format;                   ///< text box: date format, empty = general form
    QImage picture;                   ///< image: the picture, null = empty box
};

struct Band {
    QString name;
    BandKind kind = BandKind::Detail;
    int height = 0;                   ///< twips
    QList<Control> controls;

    Control *control(const QString &name);
    const Control *control(const QString &name) const;
};

struct ReportDesign {
    QString name;                     ///< "Detail", "Summary"
    QString title;                    ///< caption of the preview window
    int width = 0;                    ///< twips
    FontSpec reportFont;              ///< the report's own font (page numbers)
    QList<Band> bands;                ///< in design order

    Band *band(const QString &name);
    const Band *band(const QString &name) const;
    /// The band of a kind, or nullptr.
    const Band *bandOf(BandKind kind) const;
    int bandIndex(BandKind kind) const;

    /// Sets a label's caption; false (nothing changed) when the band or label does not exist.
    bool setCaption(const QString &band, const QString &control, const QString &text);
    /// The caption of a label, or a null string when there is no such label.
    QString caption(const QString &band, const QString &control) const;
    /// Loads an image control's picture from a file. An empty path or an unreadable file leaves
    /// the box empty and returns false.
    bool setPicture(const QString &band, const QString &control, const QString &path);
};

} // namespace zarvo::report
