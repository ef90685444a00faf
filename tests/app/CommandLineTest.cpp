// The window's command line: one .cxf file at most, help, and what a user
// may get wrong.
#include <gtest/gtest.h>

#include "CommandLineUnit.h"

namespace {

using TOutcome = TCommandLine::TOutcome;

TEST(CommandLine, OneFileAtMost) {
    const QString Usage = "\n\nAufruf: zanvero [DATEI.cxf]";
    const struct {
        QStringList Arguments;
        TOutcome Outcome;
        QString CxfFileName, ErrorText;
    } Cases[] = {
        {{}, TOutcome::Run, "", ""},
        {{"Liste.cxf"}, TOutcome::Run, "Liste.cxf", ""},
        {{"/daten/meine liste.cxf"}, TOutcome::Run, "/daten/meine liste.cxf", ""},
        {{"--", "-neu.cxf"}, TOutcome::Run, "-neu.cxf", ""},
        {{"--help"}, TOutcome::Help, "", ""},
        {{"-h", "a.cxf"}, TOutcome::Help, "", ""},
        {{"a.cxf", "b.cxf"}, TOutcome::Wrong, "", "Bitte nur eine .cxf-Datei angeben, nicht 2." + Usage},
        {{"--export", "a.cxf"}, TOutcome::Wrong, "", "Unbekannte Option: --export" + Usage},
        {{"-x"}, TOutcome::Wrong, "", "Unbekannte Option: -x" + Usage},
        {{""}, TOutcome::Wrong, "", "Der Name der .cxf-Datei ist leer." + Usage},
    };
    for (const auto& Case : Cases) {
        const TCommandLine CommandLine(QStringList{"zanvero"} + Case.Arguments);
        const QString Shown = Case.Arguments.join(' ');
        EXPECT_EQ(CommandLine.Outcome(), Case.Outcome) << Shown.toStdString();
        EXPECT_EQ(CommandLine.CxfFileName(), Case.CxfFileName) << Shown.toStdString();
        EXPECT_EQ(CommandLine.ErrorText(), Case.ErrorText) << Shown.toStdString();
    }
}

}  // namespace
