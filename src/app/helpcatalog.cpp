#include "app/helpcatalog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <algorithm>

namespace vantrel::app {

namespace {

QString readText(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString metaContent(const QString &html, const QString &name) {
    const QRegularExpression meta(
        QStringLiteral("<meta\\s+name=\"%1\"\\s+content=\"([^\"]*)\"").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    return meta.match(html).captured(1);
}

HelpCatalog::Page parsePage(const QString &html) {
    HelpCatalog::Page page;
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    page.title =
        QTextDocumentFragment::fromHtml(title.match(html).captured(1)).toPlainText().simplified();
    for (const QString &t :
         metaContent(html, QStringLiteral("topics")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int topic = t.trimmed().toInt(&ok);
        if (ok)
            page.topics << topic;
    }
    for (const QString &k :
         metaContent(html, QStringLiteral("keywords")).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!k.trimmed().isEmpty())
            page.keywords << k.trimmed();
    static const QRegularExpression link(QStringLiteral("\\b(?:href|src)=\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    for (auto it = link.globalMatch(html); it.hasNext();)
        page.links << it.next().captured(1);
    page.text = QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
    return page;
}

} // namespace

HelpCatalog::HelpCatalog(const QString &root) : root_(root) {
    const QDir dir(root);
    for (const QString &name : dir.entryList({QStringLiteral("*.html")}, QDir::Files)) {
        Page page = parsePage(readText(dir.filePath(name)));
        for (int topic : page.topics)
            topics_.insert(topic, name);
        pages_.insert(name, std::move(page));
    }
    // contents.txt: one page per line, two spaces of indent per level; # starts a comment.
    const QStringList lines = readText(dir.filePath(QStringLiteral("contents.txt")))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QString name = line.trimmed();
        if (name.isEmpty() || name.startsWith(QLatin1Char('#')))
            continue;
        const int indent = int(line.indexOf(name));
        contents_.append({indent / 2, name, Title(name)});
    }
}

QString HelpCatalog::Url(const QString &page) const {
    QString path = root_ + QLatin1Char('/') + page;
    if (path.startsWith(QLatin1Char(':')))
        path = QStringLiteral("qrc") + path;
    return path;
}

QString HelpCatalog::PageForTopic(int topic) const {
    return topics_.value(topic);
}

const HelpCatalog::Page *HelpCatalog::Find(const QString &page) const {
    const auto it = pages_.constFind(page);
    return it == pages_.constEnd() ? nullptr : &it.value();
}

QString HelpCatalog::Title(const QString &page) const {
    const Page *p = Find(page);
    return p != nullptr && !p->title.isEmpty() ? p->title : page;
}

QList<QPair<QString, QStringList>> HelpCatalog::Index() const {
    QMap<QString, QPair<QString, QStringList>> byKey; // lower case -> (keyword, pages)
    for (auto it = pages_.constBegin(); it != pages_.constEnd(); ++it)
        for (const QString &k : it->keywords) {
            auto &entry = byKey[k.toLower()];
            if (entry.first.isEmpty())
                entry.first = k;
            if (!entry.second.contains(it.key()))
                entry.second << it.key();
        }
    return byKey.values();
}

QStringList HelpCatalog::Search(const QString &query) const {
    const QStringList words = query.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    QStringList order;
    for (const ContentsEntry &e : contents_)
        order << e.page;
    for (const QString &name : pages_.keys())
        if (!order.contains(name))
            order << name;
    QStringList found;
    for (const QString &name : order) {
        const Page *p = Find(name);
        if (p == nullptr)
            continue;
        const QString haystack = p->title + QLatin1Char(' ') + p->keywords.join(QLatin1Char(' ')) +
                                 QLatin1Char(' ') + p->text;
        if (std::all_of(words.begin(), words.end(), [&](const QString &w) {
                return haystack.contains(w, Qt::CaseInsensitive);
            }))
            found << name;
    }
    return found;
}

} // namespace vantrel::app
