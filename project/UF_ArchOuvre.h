#pragma once
// "Ouverture d'une archive": a project marked as archived is opened
// read-only, or copied to a new folder whose copy is opened, or left alone.
#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kep {

class TEcrOuvreArchive : public QDialog {
    Q_OBJECT
public:
    // Modal results, as the project loader reads them.
    enum { mrOk = 1, mrCancel = 2, mrIgnore = 5, mrNo = 7 };

    // `nomProjet`: the archived project file. After a copy, NomProjet()
    // names the copy's project file.
    explicit TEcrOuvreArchive(const std::string& nomProjet, QWidget* parent = nullptr);

    const std::string& NomProjet() const { return NomProjet_; }

    std::function<bool(const QString& text)> AskOkCancel; // warning, OK / Cancel
    std::function<void(const QString& text)> ShowMessage;
    std::function<QString(const QString& parent, const QString& name)> AskFolder; // empty = cancelled
    std::function<void(int context)> ShowHelp;

    QLabel* lblTexte;
    QLabel* panNomProj;
    QRadioButton* rbLecture;
    QRadioButton* rbCopie;
    QLineEdit* edNouvNom;
    QPushButton* btnRepertCopie;
    QRadioButton* rbQuitter;
    QPushButton* btnOk;
    QPushButton* btnQuitter;
    QPushButton* btnAide;

private:
    void MajEtats();
    void btnOkClick();
    bool Copie();

    std::string NomProjet_;
};

} // namespace kep
