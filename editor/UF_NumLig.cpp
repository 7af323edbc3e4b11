#include "editor/UF_NumLig.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <charconv>
#include <string>

namespace kep {

TEcrNumLig::TEcrNumLig(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EcrNumLig"));
    setWindowTitle(QStringLiteral("Va à la ligne"));
    setModal(true);

    auto* label = new QLabel(QStringLiteral("Numéro de ligne :"), this);
    NumLigne = new QLineEdit(this);
    NumLigne->setObjectName(QStringLiteral("NumLigne"));
    // Keys other than digits are refused as they are typed; editing keys
    // never reach the validator.
    NumLigne->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), NumLigne));
    label->setBuddy(NumLigne);

    btnOk = new QPushButton(QStringLiteral("Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnAbandon = new QPushButton(QStringLiteral("Abandonner"), this);
    btnAbandon->setObjectName(QStringLiteral("btnAbandon"));

    auto* field = new QHBoxLayout;
    field->addWidget(label);
    field->addWidget(NumLigne, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnAbandon);
    auto* top = new QVBoxLayout(this);
    top->addLayout(field);
    top->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &TEcrNumLig::accept);
    connect(btnAbandon, &QPushButton::clicked, this, &TEcrNumLig::reject);
}

std::optional<int> TEcrNumLig::Numero() const
{
    // setText bypasses the validator: check the digits again.
    const std::string text = NumLigne->text().toStdString();
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace kep
