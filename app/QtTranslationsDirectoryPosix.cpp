#include <QLibraryInfo>

#include "QtTranslationsUnit.h"

// The distribution's Qt translations, /usr/share/qt6/translations on Debian
// (package qt6-translations-l10n).
QString QtTranslationsDirectory() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}
