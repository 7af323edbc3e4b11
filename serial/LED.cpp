#include "serial/LED.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace kep {

namespace {

constexpr int LampSide = 14;
constexpr int MinLampSide = 8;
// Between the lamp and its caption.
constexpr int CaptionGap = 4;

// Off is the same hue, dimmed, so that a dark lamp still tells which line
// it stands for.
QColor LampBase(TLEDColor color, bool lit)
{
    switch (color) {
    case lcGreen:
        return lit ? QColor(40, 215, 60) : QColor(40, 95, 45);
    case lcYellow:
        return lit ? QColor(255, 210, 20) : QColor(125, 105, 35);
    case lcRed:
    default:
        return lit ? QColor(235, 40, 30) : QColor(115, 40, 35);
    }
}

void PaintLamp(QPainter& p, const QRect& rect, TLEDColor color, bool lit)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const QColor base = LampBase(color, lit);
    // Half a pixel in, so the antialiased rim is not clipped.
    const QRectF r = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPointF centre = r.center();
    const qreal radius = r.width() / 2;

    // Light from the top left: the focal point sits off centre.
    QRadialGradient grad(centre, radius, centre - QPointF(radius * 0.35, radius * 0.4));
    grad.setColorAt(0.0, lit ? base.lighter(185) : base.lighter(135));
    grad.setColorAt(0.55, base);
    grad.setColorAt(1.0, base.darker(lit ? 150 : 140));

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(base.darker(lit ? 210 : 190), 1.0));
    p.setBrush(grad);
    p.drawEllipse(r);

    // A small reflection gives the glass its bulge.
    const qreal hl = radius * 0.55;
    const QRectF spot(centre.x() - radius * 0.55, centre.y() - radius * 0.62, hl, hl * 0.75);
    QRadialGradient shine(spot.center(), hl / 2);
    shine.setColorAt(0.0, QColor(255, 255, 255, lit ? 190 : 70));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(spot);
    p.restore();
}

} // namespace

// --- TLED ---

TLED::TLED(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TLED::SetLit(bool lit)
{
    if (lit == Lit_)
        return;
    Lit_ = lit;
    update(LampRect());
    if (OnChangeState)
        OnChangeState(*this);
}

void TLED::SetColor(TLEDColor color)
{
    if (color == Color_)
        return;
    Color_ = color;
    update(LampRect());
}

QSize TLED::sizeHint() const
{
    return {LampSide, LampSide};
}

QSize TLED::minimumSizeHint() const
{
    return {MinLampSide, MinLampSide};
}

QRect TLED::LampRect() const
{
    const int side = std::min(width(), height());
    return {(width() - side) / 2, (height() - side) / 2, side, side};
}

void TLED::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintLamp(p, LampRect(), Color_, Lit_);
}

// --- TLEDLabel ---

TLEDLabel::TLEDLabel(const QString& caption, QWidget* parent)
    : TLED(parent)
    , Caption_(caption)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TLEDLabel::SetCaption(const QString& caption)
{
    if (caption == Caption_)
        return;
    Caption_ = caption;
    updateGeometry();
    update();
}

void TLEDLabel::SetAlignment(TCaptionAlign align)
{
    if (align == Align_)
        return;
    Align_ = align;
    updateGeometry();
    update();
}

QSize TLEDLabel::sizeHint() const
{
    if (Caption_.isEmpty())
        return {LampSide, LampSide};
    const QFontMetrics fm(font());
    const int tw = fm.horizontalAdvance(Caption_);
    const int th = fm.height();
    if (Align_ == caTop || Align_ == caBottom)
        return {std::max(LampSide, tw), LampSide + CaptionGap + th};
    return {LampSide + CaptionGap + tw, std::max(LampSide, th)};
}

QSize TLEDLabel::minimumSizeHint() const
{
    return sizeHint();
}

// The lamp and caption form one block, centred in whatever room the
// control is given.
QRect TLEDLabel::LampRect() const
{
    const QSize hint = sizeHint();
    const int side = std::max(0, std::min({LampSide, width(), height()}));
    const int left = std::max(0, (width() - hint.width()) / 2);
    const int top = std::max(0, (height() - hint.height()) / 2);
    switch (Caption_.isEmpty() ? caRight : Align_) {
    case caLeft:
        return {left + hint.width() - side, (height() - side) / 2, side, side};
    case caTop:
        return {(width() - side) / 2, top + hint.height() - side, side, side};
    case caBottom:
        return {(width() - side) / 2, top, side, side};
    case caRight:
    default:
        return {left, (height() - side) / 2, side, side};
    }
}

QRect TLEDLabel::CaptionRect() const
{
    const QRect lamp = LampRect();
    switch (Align_) {
    case caLeft:
        return {0, 0, std::max(0, lamp.left() - CaptionGap), height()};
    case caTop:
        return {0, 0, width(), std::max(0, lamp.top() - CaptionGap)};
    case caBottom:
        return {0, lamp.bottom() + 1 + CaptionGap, width(),
                std::max(0, height() - lamp.bottom() - 1 - CaptionGap)};
    case caRight:
    default:
        return {lamp.right() + 1 + CaptionGap, 0,
                std::max(0, width() - lamp.right() - 1 - CaptionGap), height()};
    }
}

void TLEDLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintLamp(p, LampRect(), Color(), Lit());
    if (Caption_.isEmpty())
        return;
    int flags = Qt::TextSingleLine;
    switch (Align_) {
    case caLeft: flags |= Qt::AlignRight | Qt::AlignVCenter; break;
    case caRight: flags |= Qt::AlignLeft | Qt::AlignVCenter; break;
    case caTop: flags |= Qt::AlignHCenter | Qt::AlignBottom; break;
    case caBottom: flags |= Qt::AlignHCenter | Qt::AlignTop; break;
    }
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                             QPalette::WindowText));
    p.drawText(CaptionRect(), flags, Caption_);
}

} // namespace kep
