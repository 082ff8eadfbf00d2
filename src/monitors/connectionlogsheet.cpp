#include "monitors/connectionlogsheet.h"

#include "monitors/connectionlog.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace vantrel::monitors {

QWidget *MakeConnectionLogSheet(ConnectionLog &log, ui::TextOutput &output) {
    auto *sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("ADSLLogTabSheet"));
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(8, 8, 8, 8);
    log.Memo()->setParent(sheet);
    layout->addWidget(log.Memo(), 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ui::TextOutput::Box box;
    box.memo = log.Memo();
    box.proposedName = QStringLiteral("vantrel_connlog");
    box.clear = ui::MakeButton(sheet, "ClearLog_But", QStringLiteral("Clear log"));
    box.save = ui::MakeButton(sheet, "SaveLog_But", QStringLiteral("Save log"));
    box.saved = [&log] { log.SetUnsaved(false); };
    box.cleared = [&log] { log.SetUnsaved(false); };
    buttons->addWidget(box.clear);
    buttons->addWidget(box.save);
    layout->addLayout(buttons);
    output.Register(box);
    return sheet;
}

} // namespace vantrel::monitors
