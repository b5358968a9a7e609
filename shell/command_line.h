#pragma once

#include <QString>
#include <QStringList>

// What a start of the editor asks for.
struct EditorCommandLine
{
    enum class Request { Run, Help, Version };
    Request request = Request::Run;
    QStringList files;   // absolute paths, in the order given
    QString port;        // "--port P": the port for this run only, not saved
};

// Reads the arguments after the program name. File names are made absolute
// against workingDir, so a running instance that gets them forwarded, and the
// recent lists, see the file that was meant. "--" ends the options.
EditorCommandLine ParseEditorCommandLine(const QStringList &arguments, const QString &workingDir);

// The text "--help" prints.
QString EditorUsage();
// The text "--version" prints: the program's name and version.
QString EditorVersion();
