#include <QCoreApplication>

#include "QtTranslationsUnit.h"

// The program ships its Qt translations in a folder beside the executable.
QString QtTranslationsDirectory() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}
