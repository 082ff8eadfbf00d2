#pragma once
// What a page, a monitor or the text output may use of the window around it. The main window
// implements it; pages and monitors know nothing else of the window or of each other.

#include <QString>
#include <functional>

class QWidget;

namespace vantrel::core {
class Clock;
class RouterModel;
} // namespace vantrel::core

namespace vantrel::ui {

class Prompter;
class TextOutput;

class PageContext {
public:
    virtual ~PageContext() = default;

    // The router: its target, its queries and their results.
    virtual core::RouterModel &Router() = 0;
    // Every box, dialog, the beep and help.
    virtual Prompter &Prompt() = 0;
    virtual const core::Clock &Clock() const = 0;
    virtual TextOutput &Output() = 0;

    // The one-part status bar.
    virtual void SetStatus(const QString &text) = 0;
    virtual QString Status() const = 0;
    // Why the router did not answer, where the user can find it (the status bar's tooltip);
    // the next status text clears it.
    virtual void SetStatusReason(const QString &reason) { (void)reason; }
    // The help topic stored on the page control and the "&Update" button.
    virtual void SetHelpContext(int topic) = 0;
    virtual int HelpContext() const = 0;
    // Focus to the page control, when the window is visible and the focus is elsewhere.
    virtual void MoveFocus() = 0;
    virtual void SetUpdateEnabled(bool enabled) = 0;
    // Whether page (a page's top widget) is the page showing.
    virtual bool IsActivePage(const QWidget *page) const = 0;

    // Runs a handler; an error that leaves it goes to the error box ("Vantrel") and the program
    // carries on.
    virtual void Run(const std::function<void()> &handler) = 0;
    virtual void ReportError(const QString &message) = 0;
};

} // namespace vantrel::ui
