#pragma once
// The toolkit's own find and replace dialogs, as the platform's common
// dialogs offer them: non-modal, a text to find (and its replacement), whole
// word and match case, and buttons that raise signals; the owner searches.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kep {

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    enum TMode { Find, Replace };
    TFindDialog(TMode mode, QWidget* owner);

    TMode Mode() const { return Mode_; }
    QString FindText() const;
    void SetFindText(const QString& text);
    QString ReplaceText() const;
    bool MatchCase() const;
    bool WholeWord() const;

    QLineEdit* ChampCherche;
    QLineEdit* ChampRemplace; // null in Find mode
    QCheckBox* MotEntier;
    QCheckBox* MemeCasse;
    QPushButton* btnSuivant;
    QPushButton* btnRemplacer;     // null in Find mode
    QPushButton* btnRemplacerTout; // null in Find mode
    QPushButton* btnAnnuler;

signals:
    void FindNext();
    // "Remplacer" (all = false) or "Remplacer tout" (all = true).
    void ReplaceRequested(bool all);

private:
    TMode Mode_;
};

} // namespace kep
