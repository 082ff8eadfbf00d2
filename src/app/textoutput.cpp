#include "textoutput.h"

#include "mainform.h"

#include <QPlainTextEdit>
#include <QScrollBar>

void TextOutput::Bind() {}
void TextOutput::GenericSave_ButClick(QObject *) {}
void TextOutput::GenericPrint_ButClick(QObject *) {}
void TextOutput::GenericCopy_ButClick(QObject *) {}
void TextOutput::GenericClear_ButClick(QObject *) {}
void TextOutput::SaveConnectionLogAtClose() {}

void TextOutput::ScrollMemo(QPlainTextEdit *memo, ScrollTo where) {
    QScrollBar *bar = memo->verticalScrollBar();
    bar->setValue(where == ScrollTo::End ? bar->maximum() : bar->minimum());
}
