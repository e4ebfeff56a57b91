#include "reportdesign.h"
#include <QImageReader>

namespace zarvo::report {

Control *Band::control(const QString &n)
{
    for (Control &c : controls)
        if (c.name.compare(n, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const Control *Band::control(const QString &n) const
{
    return const_cast<Band *>(this)->control(n);
}

Band *ReportDesign::band(const QString &n)
{
    for (Band &b : bands)
        if (b.name.compare(n, Qt::CaseInsensitive) == 0)
            return &b;
    return nullptr;
}

const Band *ReportDesign::band(const QString &n) const
{
    return const_cast<ReportDesign *>(this)->band(n);
}

int ReportDesign::bandIndex(BandKind kind) const
{
    for (int i = 0; i < bands.size(); ++i)
        if (bands[i].kind == kind)
            return i;
    return -1;
}

const Band *ReportDesign::bandOf(BandKind kind) const
{
    const int i = bandIndex(kind);
    return i < 0 ? nullptr : &bands[i];
}

bool ReportDesign::setCaption(const QString &bandName, const QString &controlName, const QString &text)
{
    Band *b = band(bandName);
    Control *c = b ? b->control(controlName) : nullptr;
    if (!c || c->kind != ControlKind::Label)
        return false;
    c->caption = text;
    return true;
}

QString ReportDesign::caption(const QString &bandName, const QString &controlName) const
{
    const Band *b = band(bandName);
    const Control *c = b ? b->control(controlName) : nullptr;
    return c && c->kind == ControlKind::Label ? c->caption : QString();
}

bool ReportDesign::setPicture(const QString &bandName, const QString &controlName, const QString &path)
{
    Band *b = band(bandName);
    Control *c = b ? b->control(controlName) : nullptr;
    if (!c || c->kind != ControlKind::Image)
        return false;
    c->picture = QImage();
    if (path.isEmpty())
        return false;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    c->picture = reader.read();
    return !c->picture.isNull();
}

} // namespace zarvo::report
