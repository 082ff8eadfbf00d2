#pragma once

#include "app/helpcatalog.h"
#include "ui/prompter.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QUrl;

namespace vantrel::app {

// The one help window: the pages in a QTextBrowser, and beside them the contents, the keyword
// index and a word search. It stays open beside the main window and is reused by every help
// request.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    enum Tab { ContentsTab = 0, IndexTab = 1, SearchTab = 2 };

    explicit HelpWindow(QWidget *parent = nullptr, const QString &root = QStringLiteral(":/help"));

    // The help window of parent's program, created on first use; shown and raised by the
    // Show... calls.
    static HelpWindow *Instance(QWidget *parent);
    // A help command as the main window sends it: Context with a topic number, Tab with -3
    // (contents) or -2 (index), HelpOnHelp.
    void Run(ui::HelpCommand command, int argument);

    // The page of topic; a topic without a page opens the contents page and says so.
    void ShowTopic(int topic);
    void ShowContents();
    void ShowIndex();
    void ShowHelpOnHelp();
    void ShowPage(const QString &page);

    const HelpCatalog &Catalog() const { return catalog_; }
    // The page shown ("adsl.html").
    QString CurrentPage() const;
    // The note above the page ("" when none is shown).
    QString Notice() const;
    int CurrentTab() const;

private:
    void fillContents();
    void fillIndex(const QString &filter);
    void runSearch();
    void pageChanged(const QUrl &url);
    void openItemPage(const QString &page);
    void present();

    HelpCatalog catalog_;
    QTabWidget *tabs_ = nullptr;
    QTreeWidget *contents_ = nullptr;
    QLineEdit *indexEdit_ = nullptr;
    QListWidget *indexList_ = nullptr;
    QLineEdit *searchEdit_ = nullptr;
    QListWidget *searchList_ = nullptr;
    QLabel *notice_ = nullptr;
    QTextBrowser *browser_ = nullptr;
};

} // namespace vantrel::app
