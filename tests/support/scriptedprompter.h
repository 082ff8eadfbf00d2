#pragma once
// A prompter for tests: records every box, beep and help request, and answers questions and
// dialogs from queues the test fills. It never blocks.

#include "ui/prompter.h"

#include <QList>
#include <QString>
#include <QStringList>

using vantrel::ui::HelpCommand;
using vantrel::ui::SaveRequest;

class ScriptedPrompter : public vantrel::ui::Prompter {
public:
    struct Shown {
        QString kind; // "message", "warning", "error", "confirm"
        QString caption;
        QString text;
    };

    QList<Shown> shown;
    int beeps = 0;
    QList<QPair<HelpCommand, int>> helps;
    QList<SaveRequest> saveRequests;
    int printDialogs = 0;
    QStringList printProposals; // the file each print dialog proposed ("" for none)

    QList<bool> confirmAnswers; // answers to Confirm(), in order; empty: No
    QStringList saveAnswers;    // file names for SaveFileName(), in order; empty: cancel
    QList<bool> printAnswers;   // answers to PrintDialog(); empty: cancel
    QString printToFile;        // when set, an accepted print dialog prints to this PDF

    void Message(const QString &caption, const QString &text) override {
        shown.append({QStringLiteral("message"), caption, text});
    }
    void Warning(const QString &caption, const QString &text) override {
        shown.append({QStringLiteral("warning"), caption, text});
    }
    void Error(const QString &caption, const QString &text) override {
        shown.append({QStringLiteral("error"), caption, text});
    }
    bool Confirm(const QString &text) override {
        shown.append({QStringLiteral("confirm"), QStringLiteral("Confirm"), text});
        return confirmAnswers.isEmpty() ? false : confirmAnswers.takeFirst();
    }
    QString SaveFileName(const SaveRequest &request) override {
        saveRequests.append(request);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    bool PrintDialog(QPrinter &printer) override;
    void Beep() override { ++beeps; }
    void Help(HelpCommand command, int data) override { helps.append({command, data}); }

    // Texts of the boxes of one kind, in order.
    QStringList Texts(const QString &kind) const {
        QStringList out;
        for (const Shown &s : shown)
            if (s.kind == kind)
                out << s.text;
        return out;
    }
    void Reset() {
        shown.clear();
        beeps = 0;
        helps.clear();
        saveRequests.clear();
        printDialogs = 0;
        printProposals.clear();
    }
};
