#pragma once
// A header of adjacent sections whose boundaries the user drags. The control
// never resizes a section by itself: it reports the drag (start, every move,
// release) and its owner decides what a new width means, so the owner can
// draw a guide over another widget while the user hesitates.
#include <QWidget>

#include <vector>

class THeaderCtrlG : public QWidget {
    Q_OBJECT
public:
    explicit THeaderCtrlG(int sections, QWidget* parent = nullptr);

    int SectionCount() const { return int(Widths_.size()); }
    int SectionWidth(int i) const;
    int SectionLeft(int i) const;
    int SectionRight(int i) const { return SectionLeft(i) + SectionWidth(i); }
    void SetSectionWidth(int i, int width);
    // The narrowest a drag may make a section.
    int MinWidth = 2;

    // The section whose right boundary lies within a few pixels of x; -1
    // when none (the last section wins where boundaries crowd together).
    int BoundaryAt(int x) const;
    bool Tracking() const { return Section_ >= 0; }

signals:
    void TrackBegin(int section, int width);
    void Track(int section, int width);
    // `width` is the old width when the drag was cancelled (Escape).
    void TrackEnd(int section, int width);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    QSize sizeHint() const override;

private:
    int WidthAt(int x) const;

    std::vector<int> Widths_;
    int Section_ = -1;    // section being dragged
    int OldWidth_ = 0;
    int Width_ = 0;       // width the drag proposes now
};
