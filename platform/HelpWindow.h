#pragma once
// KEP's help window: one for the whole program, showing one HTML topic.
#include <QWidget>

class QTextBrowser;
class QLabel;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    static THelpWindow* Instance(QWidget* parent = nullptr);
    // A topic shown before the main window (the first-run welcome) comes back
    // on top once the main window is up.
    static void RaiseIfShown();
    void ShowTopic(const QString& title, const QString& html);
    QString CurrentHtml() const;

private:
    explicit THelpWindow(QWidget* parent);
    QLabel* Title_ = nullptr;
    QTextBrowser* Browser_ = nullptr;
};
