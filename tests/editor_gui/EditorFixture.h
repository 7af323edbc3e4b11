#pragma once
#include "editor/SrcEdit.h"

#include <QApplication>
#include <QTest>

#include <string>

// An editor shown at a size that gives exactly 'lines' visible lines.
template <typename Editor = TSrcEdit>
struct ShownEditor {
    explicit ShownEditor(int lines = 20, int width = 640)
    {
        ed.resize(width, 400);
        ed.show();
        QApplication::processEvents();
        const int frame = ed.height() - ed.viewport()->height();
        ed.resize(width, lines * ed.LineHeight() + frame + 2);
        ed.activateWindow();
        ed.setFocus();
        QApplication::processEvents();
    }
    Editor ed;
    TTextBuffer& b() { return ed.Buffer(); }
};

inline std::string NumberedText(int n, const std::string& prefix = "line ")
{
    std::string t;
    for (int i = 0; i < n; ++i)
        t += prefix + std::to_string(i) + (i + 1 < n ? "\r\n" : "");
    return t;
}
