#pragma once
// "Convertisseur": one number in binary, hexadecimal, decimal and as a
// character. It reads the word last clicked in an editor; a click on one of
// its lines writes that form back into that editor over the selection.
// The main window docks it under the sources list.
#include "editor/U_Conv.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QListWidget;
class TEditeur;

namespace kep {

class TIniFilePlus;

class TEcrConv : public QWidget {
    Q_OBJECT
public:
    explicit TEcrConv(QWidget* parent = nullptr);
    ~TEcrConv() override;

    // A word from an editor (Windows-1252), read in the assembler's syntax.
    // Words that are no number leave the list as it is.
    void SetValue(const std::string& text);
    // The current project's assembler: the syntax words are read in and
    // forms written in (none: "$1F" and "%0101"). The number shown stays
    // and is written again in the new syntax.
    void SetAssembleur(TAssembleur a);
    TAssembleur Assembleur() const { return Assembleur_; }
    // The editor the lines are sent to; it may go away at any time.
    void SetTarget(TEditeur* editor);
    TEditeur* Target() const;
    // Asked for an editor when no click named one yet (the current editor).
    std::function<TEditeur*()> CurrentEditor;

    const TConversion& Conversion() const { return Conv_; }
    // The forms listed (Windows-1252), in the list's order; empty when the
    // number does not fit in 32 bits.
    const std::vector<std::string>& Forms() const { return Forms_; }
    // Sends a line to the target editor (what a click does). False when
    // nothing was written: no line there, no editor, or it refused.
    bool ClickLine(int row);

    // Section "Conversion": the height the window had, and "UnitDefaut".
    void ReadSettings(const TIniFilePlus& ini);
    bool WriteSettings(TIniFilePlus& ini) const; // false: the file could not be written
    static constexpr const char* Section = "Conversion";
    // The height to dock with: the stored one, or a height for the list's
    // usual five lines.
    int WantedHeight() const { return WantedHeight_; }

    QComboBox* UnitDef;
    QListWidget* Liste;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Affiche();

    TConversion Conv_;
    std::vector<std::string> Forms_;
    QPointer<TEditeur> Target_;
    TAssembleur Assembleur_ = TAssembleur::Inconnu;
    int WantedHeight_ = 0;
};

} // namespace kep
