#pragma once
// "Aide de QDX": the topics of "KepHlp.txt" as a tree, with the text of the
// chosen topic.
#include "processor/U_SujetsAide.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace kep {

class TIniFilePlus;

class TEcrAideQDX : public QWidget {
    Q_OBJECT
public:
    // Reads the topic file at `path` (the main window passes the program's
    // folder + "KepHlp.txt"). A top-level window; it deletes itself when
    // closed.
    explicit TEcrAideQDX(const std::string& path, QWidget* parent = nullptr);
    ~TEcrAideQDX() override;

    static constexpr const char* Section = "HelpQDX";
    static constexpr int HelpContext = 1802;

    // Section "HelpQDX"; the first time at left 10, top 10.
    void RestaureBounds(TIniFilePlus& ini);
    bool SauveBounds(TIniFilePlus& ini) const;

    // Called from closeEvent (the main window saves the bounds there unless
    // the project is protected).
    std::function<void(TEcrAideQDX&)> OnClosing;
    // F1. Default: the topic of Kep.hlp.
    std::function<void(int)> ShowHelp;

    QTreeWidget* TableMat; // the topics; each item's first line in Qt::UserRole
    QPlainTextEdit* Info;  // the chosen topic's text

    const std::vector<std::string>& Lignes() const { return Lignes_; }
    const std::vector<TSujet>& Sujets() const { return Sujets_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void Montre(QTreeWidgetItem* item);

    std::vector<std::string> Lignes_; // Windows-1252
    std::vector<TSujet> Sujets_;
};

} // namespace kep
