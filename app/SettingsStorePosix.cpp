// Without a registry the settings live in QSettings' native file for the
// user (~/.config/Morvane/Zanvero.conf on Linux).
#include <QSettings>

#include "SettingsStoreUnit.h"

std::unique_ptr<ISettingsKey> OpenSettingsStore() {
    return std::make_unique<TQSettingsKey>(
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(SettingsOrganization),
                                    QLatin1String(SettingsApplication)));
}
