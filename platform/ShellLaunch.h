#pragma once
// Starting a file the way the desktop would: a program runs, any other file
// opens with the application the desktop associates with it. Failures come
// back as the small codes the callers show messages for.
#include <QString>
#include <QStringList>

class QWidget;

namespace kep {

// Codes of a failed launch (a success gives a value above 32).
enum : int {
    ShellOutOfMemory = 0,
    ShellFileNotFound = 2,
    ShellPathNotFound = 3,
    ShellAccessDenied = 5,
    ShellBadFormat = 11,
    ShellNoAssociation = 31,
    ShellOk = 42,
};

// `parameters` are split like a shell would (no expansion); `folder` empty
// keeps the current folder. A bare program name is looked for on the PATH.
// `pid` receives the started program's process, when one was started.
int ShellOpen(const QString& file, const QString& parameters = {}, const QString& folder = {},
              qint64* pid = nullptr);
// The same with the arguments already apart, each passed as it is.
int ShellOpen(const QString& file, const QStringList& arguments, const QString& folder = {},
              qint64* pid = nullptr);

// The message of a failure code (English, as the system gives them); empty
// for codes without a message.
QString ShellErrorText(int code);

} // namespace kep
