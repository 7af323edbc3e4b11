#pragma once
// "Propriétés de la vue": the name of one view and the lines it is limited
// to. The caller fills it from the view and applies the result.
#include "editor/TextBuffer.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kep {

class TEcrEditVue : public QDialog {
    Q_OBJECT
public:
    explicit TEcrEditVue(QWidget* parent = nullptr);

    // `nomFichier`: the file's name; `nomVue`: the entry's text.
    void Remplit(const QString& nomFichier, const QString& nomVue, const TEditView& vue);
    std::int32_t Debut() const;
    std::int32_t Fin() const;
    QString Nom() const;

    std::function<void()> Aide; // help context 1000008 of "Kep.hlp" by default
    std::function<void(const QString& text)> ShowMessage;

    QLineEdit* NomFichier;
    QLineEdit* NomVue;
    QSpinBox* LigneDeb;
    QRadioButton* DeCur;
    QRadioButton* DeDebSel;
    QRadioButton* DeFinSel;
    QRadioButton* DeDebFich;
    QSpinBox* LigneFin;
    QRadioButton* ACur;
    QRadioButton* ADebSel;
    QRadioButton* AFinSel;
    QRadioButton* AFinFich;
    QPushButton* btnOk;
    QPushButton* btnAbandon;
    QPushButton* btnAide;

    void accept() override;

private:
    // The choice whose line equals the field stays checked; none otherwise.
    static void MarqueChoix(QSpinBox* field, const std::vector<std::pair<QRadioButton*, std::int32_t>>& choix);

    std::vector<std::pair<QRadioButton*, std::int32_t>> ChoixDeb_, ChoixFin_;
};

} // namespace kep
