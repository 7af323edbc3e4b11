#include "build/UF_Make.h"

#include "build/UC_ConsoleView.h"

#include <QCloseEvent>
#include <QFont>
#include <QVBoxLayout>

namespace {

// Long enough to gather a burst of lines into one repaint, short enough to
// look live.
constexpr int kRefreshMs = 40;

} // namespace

TEcrMake::TEcrMake(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Construction..."));
    // The position is that of the frame, the size that of the inside.
    move(200, 136);
    resize(526, 382);

    Memo = new TConsoleView(this);
    QFont font(QStringLiteral("Courier New"), 8);
    // Where Courier New is missing, another fixed font rather than whatever
    // the default family is.
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setKerning(false);
    Memo->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo);
    setFocusProxy(Memo);

    Refresh_.setSingleShot(true);
    Refresh_.setInterval(kRefreshMs);
    connect(&Refresh_, &QTimer::timeout, this, &TEcrMake::Rafraichit);
    connect(Memo, &TConsoleView::LineDoubleClicked, this, &TEcrMake::LigneChoisie);
}

TEcrMake::~TEcrMake() = default;

void TEcrMake::AjouteLigne(std::string_view bytes)
{
    Memo->Store().Append(bytes);
    if (!Pending_) {
        Pending_ = true;
        Refresh_.start();
    }
}

void TEcrMake::Rafraichit()
{
    Refresh_.stop();
    Pending_ = false;
    Memo->StoreChanged();
}

const kep::TConsoleStore& TEcrMake::Lignes() const
{
    return Memo->Store();
}

QString TEcrMake::TexteLigne(std::size_t i) const
{
    return Memo->DisplayText(i);
}

void TEcrMake::closeEvent(QCloseEvent* e)
{
    emit Fermee();
    e->accept();
}
