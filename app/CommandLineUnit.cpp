#include "CommandLineUnit.h"

namespace {

const QString Usage = QStringLiteral("Aufruf: zanvero [DATEI.cxf]");

// An option as the user typed it: one letter after "-", a word after "--".
QString OptionAsTyped(const QString& Name) {
    return (Name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + Name;
}

}  // namespace

TCommandLine::TCommandLine(const QStringList& Arguments) {
    FParser.setApplicationDescription(
        QStringLiteral("Zanvero wandelt die Senderliste eines Receivers (.cxf-Datei) in HTML-Seiten, "
                       "eine CSV-Datei oder einen SQL-Dump um."));
    FParser.addHelpOption();
    FParser.addPositionalArgument(QStringLiteral("DATEI.cxf"),
                                  QStringLiteral("Die .cxf-Datei, mit der das Fenster öffnet."),
                                  QStringLiteral("[DATEI.cxf]"));

    QString Problem;
    if (!FParser.parse(Arguments)) {
        const QStringList Unknown = FParser.unknownOptionNames();
        Problem = Unknown.isEmpty() ? FParser.errorText()
                                    : QStringLiteral("Unbekannte Option: %1").arg(OptionAsTyped(Unknown.front()));
    } else if (FParser.isSet(QStringLiteral("help"))) {
        FOutcome = TOutcome::Help;
        return;
    } else if (const QStringList Files = FParser.positionalArguments(); Files.size() > 1) {
        Problem = QStringLiteral("Bitte nur eine .cxf-Datei angeben, nicht %1.").arg(Files.size());
    } else if (Files.size() == 1 && Files.front().isEmpty()) {
        Problem = QStringLiteral("Der Name der .cxf-Datei ist leer.");
    } else if (Files.size() == 1) {
        FCxfFileName = Files.front();
    }
    if (Problem.isEmpty()) return;
    FOutcome = TOutcome::Wrong;
    FErrorText = Problem + QStringLiteral("\n\n") + Usage;
}
