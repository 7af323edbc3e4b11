#pragma once
// The program image viewer "KEP - Visualisateur de fichiers": the records of
// a .cod file as a tree, one node per segment with its bytes in hexadecimal.
// An Intel HEX file shows the same way, one node per run of records.
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class TEcrViewCod : public QWidget {
    Q_OBJECT
public:
    // A top-level window of its own even with a parent (the main window);
    // deleted when closed.
    explicit TEcrViewCod(QWidget* parent = nullptr);
    ~TEcrViewCod() override;

    QTreeWidget* DumpG;
    QLineEdit* edObjNameG;
    QPushButton* btnSelObjG;
    QCheckBox* OptTaille32;

    // The open dialog, given the field's text as its start; an empty name
    // means cancelled. Replaced by the tests.
    std::function<QString(const QString& start)> AskOpenFile;
    // Tells the user something (a message box unless replaced).
    std::function<void(const QString&)> ShowMessage;

    // What the button does once a name is chosen: puts it in the field,
    // reads the file whole (or says it is absent and keeps the bytes held
    // so far), then fills the tree from the bytes held. A Microchip .cod
    // (gputils) is no image of this format: the user is told so, and the
    // Intel HEX file of the same name is shown instead when there is one.
    void Charge(const QString& path);
    // The bytes of the last file read.
    const std::string& Octets() const { return Bytes_; }

public slots:
    void btnSelObjGClick();
    // Fills the tree again with the length width the box now says, when the
    // file named in the field exists.
    void OptTaille32Click();

private:
    void Remplit();
    std::string LocalName() const;

    std::string Bytes_;
    int Format_ = 0; // a kep::TFormatImage
};
