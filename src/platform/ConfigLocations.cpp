#include "ConfigLocations.h"

#include <QDir>

namespace ConfigLocations {

QString configFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QLatin1String("/.config");
    return base + QLatin1String("/Platterbox");
}

QString userRegistryFile() {
    return configFolder() + QLatin1String("/user.reg");
}

QString systemRegistryFile() {
    return configFolder() + QLatin1String("/system.reg");
}

QString perUserIniFile() {
    return configFolder() + QLatin1String("/Platterbox.Ini");
}

} // namespace ConfigLocations
