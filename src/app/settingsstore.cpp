#include "settingsstore.h"

#include "mainform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

QString SettingsStore::DefaultPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return dir + QLatin1Char('/') + base + QStringLiteral(".ini");
}

void SettingsStore::Load() {}
bool SettingsStore::Save() {
    return true;
}
