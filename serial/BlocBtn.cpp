#include "serial/BlocBtn.h"

#include <QBoxLayout>
#include <QToolButton>

#include <algorithm>

namespace kep {

namespace {

// Marks a button whose caption was given by the user, so that a new
// FirstChar leaves it alone.
constexpr const char* CustomCaption = "kepCustomCaption";

QString HexCaption(int code)
{
    return QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
}

QFont SmallFont(const QFont& base)
{
    QFont f = base;
    if (f.pointSizeF() > 0)
        f.setPointSizeF(std::max(6.0, f.pointSizeF() * 0.8));
    else if (f.pixelSize() > 0)
        f.setPixelSize(std::max(8, f.pixelSize() * 4 / 5));
    return f;
}

} // namespace

TBlocBtn::TBlocBtn(QWidget* parent)
    : QWidget(parent)
{
    auto* box = new QBoxLayout(QBoxLayout::LeftToRight, this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(Spacing_);
    // The bloc is exactly as big as its buttons.
    box->setSizeConstraint(QLayout::SetFixedSize);
}

void TBlocBtn::SetBtnNumber(int n)
{
    n = std::max(0, n);
    if (n == BtnNumber())
        return;
    while (BtnNumber() > n) {
        delete Buttons_.back();
        Buttons_.pop_back();
    }
    while (BtnNumber() < n) {
        auto* btn = new QToolButton(this);
        const int index = BtnNumber();
        btn->setText(HexCaption(FirstChar_ + index));
        // The terminal keeps the keyboard; the buttons only take clicks.
        btn->setFocusPolicy(Qt::NoFocus);
        btn->setCheckable(DownMode_ != dmNone);
        connect(btn, &QToolButton::clicked, this, [this, index] { Clicked(index); });
        Buttons_.push_back(btn);
    }
    // Removing the down button must not leave the bloc without one.
    if (DownMode_ == dmAlwaysOne && BtnIndex() < 0 && n > 0)
        Buttons_.front()->setChecked(true);
    Rebuild();
}

void TBlocBtn::SetBlocDirection(TBlocDirection d)
{
    if (d == Direction_)
        return;
    Direction_ = d;
    Rebuild();
}

void TBlocBtn::SetBtnSpacing(int pixels)
{
    pixels = std::max(0, pixels);
    if (pixels == Spacing_)
        return;
    Spacing_ = pixels;
    Rebuild();
}

void TBlocBtn::SetBtnDownMode(TBtnDownMode mode)
{
    if (mode == DownMode_)
        return;
    DownMode_ = mode;
    bool seen = false;
    for (QToolButton* btn : Buttons_) {
        const bool keep = btn->isChecked() && mode != dmNone && (mode == dmMulti || !seen);
        seen = seen || keep;
        btn->setChecked(keep);
        btn->setCheckable(mode != dmNone);
    }
    if (mode == dmAlwaysOne && !seen && !Buttons_.empty())
        Buttons_.front()->setChecked(true);
}

void TBlocBtn::SetFirstChar(int code)
{
    if (code == FirstChar_)
        return;
    FirstChar_ = code;
    for (int i = 0; i < BtnNumber(); ++i) {
        if (!Buttons_[i]->property(CustomCaption).toBool())
            Buttons_[i]->setText(HexCaption(FirstChar_ + i));
    }
    Rebuild();
}

int TBlocBtn::BtnIndex() const
{
    for (int i = 0; i < BtnNumber(); ++i) {
        if (Buttons_[i]->isChecked())
            return i;
    }
    return -1;
}

void TBlocBtn::SetBtnIndex(int index)
{
    if (index < -1 || index >= BtnNumber() || DownMode_ == dmNone)
        return;
    if (index == -1) {
        if (DownMode_ != dmAlwaysOne)
            SetAllUp();
        return;
    }
    for (int i = 0; i < BtnNumber(); ++i) {
        if (i == index)
            Buttons_[i]->setChecked(true);
        else if (DownMode_ != dmMulti)
            Buttons_[i]->setChecked(false);
    }
}

QToolButton* TBlocBtn::Button(int index) const
{
    return index >= 0 && index < BtnNumber() ? Buttons_[index] : nullptr;
}

int TBlocBtn::Tag(int index) const
{
    return index >= 0 && index < BtnNumber() ? FirstChar_ + index : -1;
}

void TBlocBtn::SetCaption(int index, const QString& caption)
{
    QToolButton* btn = Button(index);
    if (!btn)
        return;
    btn->setText(caption);
    btn->setProperty(CustomCaption, true);
    Rebuild();
}

bool TBlocBtn::IsDown(int index) const
{
    const QToolButton* btn = Button(index);
    return btn && btn->isChecked();
}

void TBlocBtn::SetAllUp()
{
    for (QToolButton* btn : Buttons_)
        btn->setChecked(false);
}

// Lays the buttons out again: all share one size, that of the widest
// caption (never less than two hex digits), so the bloc stays a grid.
void TBlocBtn::Rebuild()
{
    const QFont small = SmallFont(font());
    const QFontMetrics fm(small);
    int textWidth = 0;
    for (QChar c : QStringLiteral("0123456789ABCDEF"))
        textWidth = std::max(textWidth, fm.horizontalAdvance(c));
    textWidth *= 2;
    for (const QToolButton* btn : Buttons_)
        textWidth = std::max(textWidth, fm.horizontalAdvance(btn->text()));
    const int h = fm.height() + 4;
    const QSize size(std::max(textWidth + 8, h), h);

    auto* box = static_cast<QBoxLayout*>(layout());
    box->setDirection(Direction_ == bdVertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    box->setSpacing(Spacing_);
    for (QToolButton* btn : Buttons_) {
        btn->setFont(small);
        btn->setFixedSize(size);
        if (box->indexOf(btn) < 0) {
            box->addWidget(btn);
            // Otherwise a button added to a shown bloc only appears, and
            // takes its place, on a later turn of the event loop.
            btn->show();
        }
    }
    box->activate();
}

void TBlocBtn::Clicked(int index)
{
    QToolButton* btn = Button(index);
    if (!btn)
        return;
    switch (DownMode_) {
    case dmOneMax:
    case dmAlwaysOne:
        if (DownMode_ == dmAlwaysOne)
            btn->setChecked(true);
        if (btn->isChecked()) {
            for (QToolButton* other : Buttons_) {
                if (other != btn)
                    other->setChecked(false);
            }
        }
        break;
    case dmNone:
    case dmMulti:
        break;
    }
    if (SendBtn_ && OnClick)
        OnClick(*this, index, Tag(index));
}

} // namespace kep
