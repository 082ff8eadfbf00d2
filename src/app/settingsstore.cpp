#include "app/settingsstore.h"

#include "core/clock.h"
#include "core/regional.h"
#include "core/settingsmodel.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "version/buildsettings.h"
#include "version/fileversion.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

namespace vantrel::app {

const char *const SettingsStore::CopyrightNotice = version::CopyrightNotice;

SettingsStore::SettingsStore(ui::PageContext &context, core::SettingsModel &settings)
    : context_(context), settings_(settings) {}

QString SettingsStore::DefaultPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return dir + QLatin1Char('/') + base + QStringLiteral(".ini");
}

QString SettingsStore::Path() const {
    return settings_.Path();
}

bool SettingsStore::Load() {
    const core::SettingsFile::LoadResult loaded = settings_.Load();
    if (loaded.unreadable)
        context_.Prompt().Warning(
            QStringLiteral("Warning"),
            QStringLiteral("The settings file %1 cannot be read. Vantrel starts with its "
                           "default settings and leaves that file as it is.")
                .arg(settings_.Path()));
    if (Apply)
        Apply(loaded);
    if (loaded.error.isEmpty())
        return true;
    context_.ReportError(loaded.error);
    return false;
}

bool SettingsStore::Save(bool quiet) {
    // A file that could not be read at start-up is the user's: it is left alone, and the
    // close goes on.
    if (settings_.Unreadable())
        return true;
    const core::ProgramRecord program{QStringLiteral("Vantrel"),
                                      QString::fromLatin1(CopyrightNotice),
                                      version::RunningVersionText()};
    const QString lastUsed = core::DateTimeText(context_.Clock().Now());
    QString reason;
    const bool saved = settings_.Save(
        [this, &lastUsed](core::SettingsValues &values) {
            if (Collect)
                Collect(values);
            values.LastUsed = lastUsed;
        },
        program, reason);
    if (saved)
        return true;
    const QString message = QStringLiteral("Unable to write to ") + settings_.Path();
    if (quiet)
        std::fprintf(stderr, "vantrel: %s: %s\n", qPrintable(message), qPrintable(reason));
    else
        context_.ReportError(message);
    return false;
}

bool SettingsStore::WriteLastResetDate(const QString &date) {
    // A file that could not be read at start-up is left alone, as at the close.
    if (settings_.Unreadable())
        return true;
    QString reason;
    if (settings_.WriteLastResetDate(date, reason))
        return true;
    // Told like a failed save: the next start would otherwise reset the month again.
    context_.ReportError(QStringLiteral("Unable to write to ") + settings_.Path());
    return false;
}

} // namespace vantrel::app
