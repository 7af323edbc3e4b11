#pragma once
// A lamp (TLED) and a lamp with its caption (TLEDLabel), for the modem lines
// of the terminal.
#include <QWidget>

#include <functional>

namespace kep {

enum TLEDColor { lcRed, lcGreen, lcYellow };
enum TCaptionAlign { caLeft, caRight, caTop, caBottom };

class TLED : public QWidget {
    Q_OBJECT
public:
    explicit TLED(QWidget* parent = nullptr);

    bool Lit() const { return Lit_; }
    void SetLit(bool lit); // calls OnChangeState when the state changes
    TLEDColor Color() const { return Color_; }
    void SetColor(TLEDColor color);

    std::function<void(TLED&)> OnChangeState;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    // Where the lamp is drawn inside the control.
    virtual QRect LampRect() const;

private:
    bool Lit_ = false;
    TLEDColor Color_ = lcRed;
};

class TLEDLabel : public TLED {
    Q_OBJECT
public:
    explicit TLEDLabel(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return Caption_; }
    void SetCaption(const QString& caption);
    TCaptionAlign Alignment() const { return Align_; }
    void SetAlignment(TCaptionAlign align);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    QRect LampRect() const override;

private:
    QRect CaptionRect() const;

    QString Caption_;
    TCaptionAlign Align_ = caRight;
};

} // namespace kep
