#include "controls/UC_HeaderCtrlG.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int Grip = 3; // pixels either side of a boundary that catch it
}

THeaderCtrlG::THeaderCtrlG(int sections, QWidget* parent) : QWidget(parent), Widths_(std::size_t(std::max(1, sections)), 50)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

int THeaderCtrlG::SectionWidth(int i) const
{
    return i >= 0 && i < SectionCount() ? Widths_[std::size_t(i)] : 0;
}

int THeaderCtrlG::SectionLeft(int i) const
{
    int x = 0;
    for (int k = 0; k < i && k < SectionCount(); ++k)
        x += Widths_[std::size_t(k)];
    return x;
}

void THeaderCtrlG::SetSectionWidth(int i, int width)
{
    if (i < 0 || i >= SectionCount())
        return;
    Widths_[std::size_t(i)] = std::max(0, width);
    update();
}

int THeaderCtrlG::BoundaryAt(int x) const
{
    int found = -1;
    for (int i = 0; i < SectionCount(); ++i)
        if (std::abs(SectionRight(i) - x) <= Grip)
            found = i;
    return found;
}

int THeaderCtrlG::WidthAt(int x) const
{
    return std::max(MinWidth, x - SectionLeft(Section_));
}

void THeaderCtrlG::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionHeader opt;
    opt.initFrom(this);
    opt.orientation = Qt::Horizontal;
    int x = 0;
    for (int i = 0; i < SectionCount(); ++i) {
        const int w = Section_ == i ? Width_ : Widths_[std::size_t(i)];
        opt.rect = QRect(x, 0, w, height());
        opt.section = i;
        opt.position = i == 0 ? QStyleOptionHeader::Beginning
                       : i == SectionCount() - 1 ? QStyleOptionHeader::End
                                                 : QStyleOptionHeader::Middle;
        style()->drawControl(QStyle::CE_Header, &opt, &p, this);
        x += w;
    }
}

void THeaderCtrlG::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(e);
        return;
    }
    const int s = BoundaryAt(int(e->position().x()));
    if (s < 0)
        return;
    Section_ = s;
    OldWidth_ = Width_ = Widths_[std::size_t(s)];
    setFocusPolicy(Qt::ClickFocus);
    setFocus(Qt::MouseFocusReason); // for Escape
    emit TrackBegin(s, Width_);
}

void THeaderCtrlG::mouseMoveEvent(QMouseEvent* e)
{
    const int x = int(e->position().x());
    if (!Tracking()) {
        setCursor(isEnabled() && BoundaryAt(x) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
        return;
    }
    const int w = WidthAt(x);
    if (w == Width_)
        return;
    Width_ = w;
    update();
    emit Track(Section_, Width_);
}

void THeaderCtrlG::mouseReleaseEvent(QMouseEvent* e)
{
    if (!Tracking() || e->button() != Qt::LeftButton)
        return;
    const int s = Section_, w = WidthAt(int(e->position().x()));
    Section_ = -1;
    setFocusPolicy(Qt::NoFocus);
    update();
    emit TrackEnd(s, w);
}

void THeaderCtrlG::keyPressEvent(QKeyEvent* e)
{
    if (Tracking() && e->key() == Qt::Key_Escape) {
        const int s = Section_;
        Section_ = -1;
        setFocusPolicy(Qt::NoFocus);
        update();
        emit TrackEnd(s, OldWidth_);
        return;
    }
    QWidget::keyPressEvent(e);
}

QSize THeaderCtrlG::sizeHint() const
{
    return QSize(SectionLeft(SectionCount()), 8);
}
