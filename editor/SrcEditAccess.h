#pragma once
// The editor as accessibility clients see it (screen readers on the
// accessibility bus, black-box tests): editable multi-line text read through
// character offsets that the text buffer keeps an index of, so that nothing a
// client asks for walks the whole text.
#include <QAccessibleWidget>

class TSrcEdit;

class TSrcEditAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TSrcEditAccessible(TSrcEdit* edit);

    void* interface_cast(QAccessible::InterfaceType t) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    TSrcEdit* Edit() const;
    // The unit of the given kind around an offset, as [start, end).
    void UnitAt(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const;
};

// Makes the interface for every editor; installed once by the first editor.
QAccessibleInterface* SrcEditAccessibleFactory(const QString& className, QObject* object);
