#include "platform/HelpWindow.h"

#include <QLabel>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
QPointer<THelpWindow> TheWindow;
}

THelpWindow* THelpWindow::Instance(QWidget* parent)
{
    if (!TheWindow)
        TheWindow = new THelpWindow(parent);
    return TheWindow;
}

void THelpWindow::RaiseIfShown()
{
    if (TheWindow && TheWindow->isVisible()) {
        TheWindow->raise();
        TheWindow->activateWindow();
    }
}

THelpWindow::THelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Aide KEP"));
    auto* layout = new QVBoxLayout(this);
    Title_ = new QLabel(this);
    QFont f = Title_->font();
    f.setBold(true);
    Title_->setFont(f);
    Browser_ = new QTextBrowser(this);
    Browser_->setOpenExternalLinks(true);
    layout->addWidget(Title_);
    layout->addWidget(Browser_);
    resize(560, 420);
}

void THelpWindow::ShowTopic(const QString& title, const QString& html)
{
    Title_->setText(title);
    Browser_->setHtml(html);
    show();
    raise();
    activateWindow();
}

QString THelpWindow::CurrentHtml() const
{
    return Browser_->toHtml();
}
