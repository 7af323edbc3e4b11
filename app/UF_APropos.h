#pragma once
// "A propos de KEP": the product, its version, the legal notice with the
// makers' mail link, and when the program was built.
#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

namespace kep {

class TEcrAPropos : public QDialog {
    Q_OBJECT
public:
    // Not modal; closing destroys it.
    explicit TEcrAPropos(QWidget* parent = nullptr);

    QLabel* LblProduit;
    QLabel* LblVersion;
    QLabel* LblCopyright; // underlined: a click writes to the makers
    QLabel* LblDate;
    QPushButton* BtnOk;

    // Opens the mail program on the address; replaced by the tests.
    std::function<void(const QString& address)> OpenMail;

    static QString ContactAddress();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace kep
