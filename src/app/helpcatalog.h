#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace vantrel::app {

// The help pages compiled into the program: which page answers which topic number, the
// contents in order, the keyword index and a word search. Read once from a resource folder
// holding contents.txt and the HTML pages. A page names its topics and keywords in its head:
//   <meta name="topics" content="110">   <meta name="keywords" content="uptime; firmware">
class HelpCatalog {
public:
    static constexpr char ContentsPage[] = "index.html";
    static constexpr char HelpOnHelpPage[] = "usinghelp.html";

    struct ContentsEntry {
        int level = 0;
        QString page;
        QString title;
    };
    struct Page {
        QString title;
        QList<int> topics;
        QStringList keywords;
        QStringList links; // every href and src, as written
        QString text;      // the visible words, for the search
    };

    explicit HelpCatalog(const QString &root = QStringLiteral(":/help"));

    QString Root() const { return root_; }
    // The resource URL of a page ("qrc:/help/adsl.html").
    QString Url(const QString &page) const;
    // The page of a topic number; "" when no page has it.
    QString PageForTopic(int topic) const;
    QList<int> Topics() const { return topics_.keys(); }
    const QList<ContentsEntry> &Contents() const { return contents_; }
    QStringList Pages() const { return pages_.keys(); }
    const Page *Find(const QString &page) const;
    QString Title(const QString &page) const;
    // Keyword -> pages, keywords in case-insensitive order.
    QList<QPair<QString, QStringList>> Index() const;
    // Pages whose title, keywords or text hold every word of query (any case), in contents
    // order.
    QStringList Search(const QString &query) const;

private:
    QString root_;
    QMap<QString, Page> pages_;
    QMap<int, QString> topics_;
    QList<ContentsEntry> contents_;
};

} // namespace vantrel::app
