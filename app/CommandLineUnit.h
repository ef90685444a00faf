// The window's command line: at most one .cxf file, which the window starts
// with as if it had been picked in its file chooser, and -h/--help. Qt's own
// options (-platform, -display, -style, ...) are taken by QApplication
// before this sees the arguments.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

class TCommandLine {
public:
    enum class TOutcome { Run, Help, Wrong };

    // Arguments as QApplication::arguments() gives them, the program first.
    explicit TCommandLine(const QStringList& Arguments);

    TOutcome Outcome() const { return FOutcome; }
    // The file named on the command line as given; empty when there is none.
    const QString& CxfFileName() const { return FCxfFileName; }
    // What is wrong, in German, followed by the usage line (Wrong only).
    const QString& ErrorText() const { return FErrorText; }
    // Prints the help (a message box on Windows without a console) and ends
    // the program with status 0.
    [[noreturn]] void ShowHelp() { FParser.showHelp(0); }

private:
    QCommandLineParser FParser;
    TOutcome FOutcome = TOutcome::Run;
    QString FCxfFileName;
    QString FErrorText;
};
