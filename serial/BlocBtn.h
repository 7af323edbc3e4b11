#pragma once
// A row (or column) of small buttons, one per character code from
// FirstChar on: the terminal's control-character buttons.
#include <QWidget>

#include <functional>
#include <vector>

class QToolButton;

namespace kep {

enum TBlocDirection { bdHorizontal, bdVertical };
// dmNone: buttons never stay down; dmOneMax: at most one down;
// dmAlwaysOne: exactly one down; dmMulti: each toggles on its own.
enum TBtnDownMode { dmNone, dmOneMax, dmAlwaysOne, dmMulti };

class TBlocBtn : public QWidget {
    Q_OBJECT
public:
    explicit TBlocBtn(QWidget* parent = nullptr);

    int BtnNumber() const { return int(Buttons_.size()); }
    void SetBtnNumber(int n); // rebuilds the buttons
    TBlocDirection BlocDirection() const { return Direction_; }
    void SetBlocDirection(TBlocDirection d);
    int BtnSpacing() const { return Spacing_; }
    void SetBtnSpacing(int pixels);
    TBtnDownMode BtnDownMode() const { return DownMode_; }
    void SetBtnDownMode(TBtnDownMode mode);
    // The first button's code; button i carries FirstChar + i as its tag
    // and, unless set otherwise, that code in two upper-case hex digits as
    // caption ("0A").
    int FirstChar() const { return FirstChar_; }
    void SetFirstChar(int code);
    // The index of the button down (-1 when none); setting it presses that
    // button as the down mode allows.
    int BtnIndex() const;
    void SetBtnIndex(int index);
    // When false the buttons only toggle and OnClick is not called.
    bool SendBtn() const { return SendBtn_; }
    void SetSendBtn(bool on) { SendBtn_ = on; }

    QToolButton* Button(int index) const;
    int Tag(int index) const; // the button's character code
    void SetCaption(int index, const QString& caption);
    bool IsDown(int index) const;
    void SetAllUp();

    // A click on a button: its index and its tag.
    std::function<void(TBlocBtn&, int index, int tag)> OnClick;

private:
    void Rebuild();
    void Clicked(int index);

    std::vector<QToolButton*> Buttons_;
    TBlocDirection Direction_ = bdHorizontal;
    TBtnDownMode DownMode_ = dmNone;
    int Spacing_ = 0;
    int FirstChar_ = 0;
    bool SendBtn_ = true;
};

} // namespace kep
