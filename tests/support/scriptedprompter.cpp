#include "scriptedprompter.h"

#include <QPrinter>

bool ScriptedPrompter::PrintDialog(QPrinter &printer) {
    ++printDialogs;
    printProposals << printer.outputFileName();
    const bool accept = printAnswers.isEmpty() ? false : printAnswers.takeFirst();
    if (accept && !printToFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printToFile);
    }
    return accept;
}
