#pragma once
// "Va à la ligne": a modal field for a line number.
#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;

namespace kep {

class TEcrNumLig : public QDialog {
    Q_OBJECT
public:
    explicit TEcrNumLig(QWidget* parent = nullptr);

    // The number typed when it is a valid non-negative 32-bit integer.
    std::optional<int> Numero() const;

    QLineEdit* NumLigne; // digits only
    QPushButton* btnOk;
    QPushButton* btnAbandon;
};

} // namespace kep
