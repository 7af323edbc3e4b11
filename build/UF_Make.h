#pragma once
// The build output window "Construction...": what the make tool writes on
// its console, line by line, silver on black in a fixed font.
#include "build/U_ConsoleLines.h"

#include <QTimer>
#include <QWidget>

#include <string_view>

class TConsoleView;

class TEcrMake : public QWidget {
    Q_OBJECT
public:
    // A top-level window (it stays when the main window is minimised only if
    // `parent` is null); deleted when closed.
    explicit TEcrMake(QWidget* parent = nullptr);
    ~TEcrMake() override;

    // Appends one line of console bytes (UTF-8 when valid, else code page 850).
    // Cheap: the line is stored at once, the view catches up at most every
    // few tens of milliseconds, so a flood of lines costs one repaint a tick.
    void AjouteLigne(std::string_view bytes);
    // Shows every pending line now (end of a build, tests).
    void Rafraichit();

    TConsoleView* Memo;
    const kep::TConsoleStore& Lignes() const;
    // A kept line as shown (decoded, tabs expanded); index as in Lignes().
    QString TexteLigne(std::size_t i) const;

signals:
    // Double click on a kept line (index as in Lignes()).
    void LigneChoisie(std::size_t index);
    // The window is closing (by the user or by the program).
    void Fermee();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QTimer Refresh_;
    bool Pending_ = false; // a refresh is due: cheaper to ask than the timer, once a line
};
