#include "app/settingsstore.h"

#include "core/clock.h"
#include "core/regional.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "version/buildsettings.h"
#include "version/fileversion.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

namespace vantrel::app {

using ui::PageContext;
using ui::SettingsPart;

const char *const SettingsStore::CopyrightNotice = version::CopyrightNotice;

SettingsStore::SettingsStore(PageContext &context, QString path)
    : context_(context), file_(std::move(path)) {}

QString SettingsStore::DefaultPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return dir + QLatin1Char('/') + base + QStringLiteral(".ini");
}

bool SettingsStore::Load() {
    const core::SettingsFile::LoadResult loaded = file_.Load();
    if (loaded.unreadable)
        context_.Prompt().Warning(
            QStringLiteral("Warning"),
            QStringLiteral("The settings file %1 cannot be read. Vantrel starts with its "
                           "default settings and leaves that file as it is.")
                .arg(file_.Path()));
    for (SettingsPart *part : parts_)
        part->ApplySettings(loaded);
    if (loaded.error.isEmpty())
        return true;
    context_.ReportError(loaded.error);
    return false;
}

bool SettingsStore::Save(bool quiet) {
    core::SettingsValues values;
    for (SettingsPart *part : parts_)
        part->CollectSettings(values);
    values.LastUsed = core::DateTimeText(context_.Clock().Now());
    const core::ProgramRecord program{QStringLiteral("Vantrel"),
                                      QString::fromLatin1(CopyrightNotice),
                                      version::RunningVersionText()};
    // A file that could not be read at start-up is the user's: it is left alone, and the
    // close goes on.
    if (file_.Unreadable())
        return true;
    QString reason;
    if (file_.Save(values, program, reason))
        return true;
    const QString message = QStringLiteral("Unable to write to ") + file_.Path();
    if (quiet)
        std::fprintf(stderr, "vantrel: %s: %s\n", qPrintable(message), qPrintable(reason));
    else
        context_.ReportError(message);
    return false;
}

bool SettingsStore::WriteLastResetDate(const QString &date) {
    QString reason;
    return file_.WriteLastResetDate(date, reason);
}

} // namespace vantrel::app
