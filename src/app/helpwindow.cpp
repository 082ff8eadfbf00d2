#include "app/helpwindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vantrel::app {

using ui::HelpCommand;

namespace {

constexpr int PageRole = Qt::UserRole;

QPushButton *toolButton(QWidget *parent, const char *name, const QString &text) {
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

HelpWindow::HelpWindow(QWidget *parent, const QString &root)
    : QWidget(parent, Qt::Window), catalog_(root) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Vantrel Help"));
    // No larger than the screen it opens on, with room for the frame and title bar.
    QSize size(860, 600);
    if (const QScreen *screen = parent != nullptr ? parent->screen() : this->screen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    resize(size);

    auto *splitter = new QSplitter(this);
    tabs_ = new QTabWidget(splitter);
    tabs_->setObjectName(QStringLiteral("HelpTabs"));

    contents_ = new QTreeWidget;
    contents_->setObjectName(QStringLiteral("HelpContents"));
    contents_->header()->hide();
    tabs_->addTab(contents_, QStringLiteral("Contents"));

    auto *index = new QWidget;
    auto *indexLayout = new QVBoxLayout(index);
    indexLayout->addWidget(new QLabel(QStringLiteral("Type the first letters of a word:"), index));
    indexEdit_ = new QLineEdit(index);
    indexEdit_->setObjectName(QStringLiteral("HelpIndexEdit"));
    indexEdit_->setClearButtonEnabled(true);
    indexLayout->addWidget(indexEdit_);
    indexList_ = new QListWidget(index);
    indexList_->setObjectName(QStringLiteral("HelpIndexList"));
    indexLayout->addWidget(indexList_);
    tabs_->addTab(index, QStringLiteral("Index"));

    auto *search = new QWidget;
    auto *searchLayout = new QVBoxLayout(search);
    searchLayout->addWidget(
        new QLabel(QStringLiteral("Find pages that hold all these words:"), search));
    searchEdit_ = new QLineEdit(search);
    searchEdit_->setObjectName(QStringLiteral("HelpSearchEdit"));
    searchEdit_->setClearButtonEnabled(true);
    searchLayout->addWidget(searchEdit_);
    QPushButton *find = toolButton(search, "HelpSearch_But", QStringLiteral("&Find"));
    searchLayout->addWidget(find);
    searchList_ = new QListWidget(search);
    searchList_->setObjectName(QStringLiteral("HelpSearchList"));
    searchLayout->addWidget(searchList_);
    tabs_->addTab(search, QStringLiteral("Search"));

    auto *right = new QWidget(splitter);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QHBoxLayout;
    QPushButton *back = toolButton(right, "HelpBack_But", QStringLiteral("< &Back"));
    QPushButton *forward = toolButton(right, "HelpForward_But", QStringLiteral("&Forward >"));
    QPushButton *home = toolButton(right, "HelpHome_But", QStringLiteral("&Contents"));
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(home);
    bar->addStretch(1);
    rightLayout->addLayout(bar);
    notice_ = new QLabel(right);
    notice_->setObjectName(QStringLiteral("HelpNotice"));
    notice_->setWordWrap(true);
    notice_->setStyleSheet(QStringLiteral("background: #fff4c2; padding: 4px;"));
    notice_->hide();
    rightLayout->addWidget(notice_);
    browser_ = new QTextBrowser(right);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(false);
    rightLayout->addWidget(browser_, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    fillContents();
    fillIndex(QString());

    // Entries are never cut short: the lists scroll sideways, and the pane beside the page
    // starts as wide as its longest entry (up to nearly half the window).
    contents_->header()->setStretchLastSection(false);
    contents_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (QAbstractItemView *view :
         std::initializer_list<QAbstractItemView *>{contents_, indexList_, searchList_}) {
        view->setTextElideMode(Qt::ElideNone);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    // (The tree's own hint counts each entry's indent.)
    const QAbstractItemView *tree = contents_;
    const int entries = std::max(tree->sizeHintForColumn(0), indexList_->sizeHintForColumn(0));
    const int chrome = 2 * contents_->frameWidth() +
                       contents_->verticalScrollBar()->sizeHint().width() +
                       style()->pixelMetric(QStyle::PM_LayoutLeftMargin) +
                       style()->pixelMetric(QStyle::PM_LayoutRightMargin) + 8;
    const int pane = std::clamp(entries + chrome, 250, width() * 45 / 100);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({pane, width() - pane});

    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(home, &QPushButton::clicked, this, [this] { ShowPage(HelpCatalog::ContentsPage); });
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::pageChanged);
    connect(contents_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { openItemPage(item->data(0, PageRole).toString()); });
    connect(contents_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { openItemPage(item->data(0, PageRole).toString()); });
    connect(indexEdit_, &QLineEdit::textChanged, this, &HelpWindow::fillIndex);
    connect(indexEdit_, &QLineEdit::returnPressed, this, [this] {
        if (QListWidgetItem *item = indexList_->currentItem())
            openItemPage(item->data(PageRole).toString());
    });
    auto openListItem = [this](QListWidgetItem *item) {
        openItemPage(item->data(PageRole).toString());
    };
    connect(indexList_, &QListWidget::itemActivated, this, openListItem);
    connect(indexList_, &QListWidget::itemClicked, this, openListItem);
    connect(searchList_, &QListWidget::itemActivated, this, openListItem);
    connect(searchList_, &QListWidget::itemClicked, this, openListItem);
    connect(searchEdit_, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
    connect(find, &QPushButton::clicked, this, &HelpWindow::runSearch);

    ShowPage(HelpCatalog::ContentsPage);
}

HelpWindow *HelpWindow::Instance(QWidget *parent) {
    static QPointer<HelpWindow> window;
    if (window.isNull())
        window = new HelpWindow(parent);
    return window;
}

void HelpWindow::Run(HelpCommand command, int argument) {
    switch (command) {
    case HelpCommand::Context:
        ShowTopic(argument);
        break;
    case HelpCommand::Tab:
        if (argument == -2)
            ShowIndex();
        else
            ShowContents();
        break;
    case HelpCommand::HelpOnHelp:
        ShowHelpOnHelp();
        break;
    }
}

void HelpWindow::fillContents() {
    contents_->clear();
    QList<QTreeWidgetItem *> parents;
    for (const HelpCatalog::ContentsEntry &e : catalog_.Contents()) {
        while (parents.size() > e.level)
            parents.removeLast();
        auto *item = parents.isEmpty() ? new QTreeWidgetItem(contents_)
                                       : new QTreeWidgetItem(parents.last());
        item->setText(0, e.title);
        item->setData(0, PageRole, e.page);
        parents.append(item);
    }
    contents_->expandAll();
}

void HelpWindow::fillIndex(const QString &filter) {
    indexList_->clear();
    QListWidgetItem *first = nullptr;
    for (const auto &entry : catalog_.Index()) {
        for (const QString &page : entry.second) {
            const QString text =
                entry.second.size() == 1
                    ? entry.first
                    : entry.first + QStringLiteral(" (") + catalog_.Title(page) + QLatin1Char(')');
            auto *item = new QListWidgetItem(text, indexList_);
            item->setData(PageRole, page);
            if (first == nullptr && !filter.isEmpty() &&
                entry.first.startsWith(filter.trimmed(), Qt::CaseInsensitive))
                first = item;
        }
    }
    // Like a help index: the list stays whole and jumps to the first word that fits.
    if (first != nullptr) {
        indexList_->setCurrentItem(first);
        indexList_->scrollToItem(first, QAbstractItemView::PositionAtTop);
    }
}

void HelpWindow::runSearch() {
    searchList_->clear();
    const QStringList pages = catalog_.Search(searchEdit_->text());
    for (const QString &page : pages) {
        auto *item = new QListWidgetItem(catalog_.Title(page), searchList_);
        item->setData(PageRole, page);
    }
    if (pages.isEmpty() && !searchEdit_->text().trimmed().isEmpty())
        new QListWidgetItem(QStringLiteral("No page holds all these words."), searchList_);
}

void HelpWindow::openItemPage(const QString &page) {
    if (!page.isEmpty())
        ShowPage(page);
}

void HelpWindow::present() {
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void HelpWindow::ShowPage(const QString &page) {
    notice_->hide();
    notice_->clear();
    browser_->setSource(QUrl(catalog_.Url(page)));
    present();
}

void HelpWindow::ShowTopic(int topic) {
    const QString page = catalog_.PageForTopic(topic);
    if (!page.isEmpty()) {
        ShowPage(page);
        return;
    }
    ShowPage(HelpCatalog::ContentsPage);
    notice_->setText(QStringLiteral("There is no help page for topic %1; the contents are shown "
                                    "instead.")
                         .arg(topic));
    notice_->show();
}

void HelpWindow::ShowContents() {
    tabs_->setCurrentIndex(ContentsTab);
    // A window that shows a page keeps it: the command turns to the contents, as the Index
    // command turns to the index. A window that was closed opens on the contents page.
    if (isVisible())
        present();
    else
        ShowPage(HelpCatalog::ContentsPage);
    contents_->setFocus();
}

void HelpWindow::ShowIndex() {
    tabs_->setCurrentIndex(IndexTab);
    present();
    indexEdit_->setFocus();
    indexEdit_->selectAll();
}

void HelpWindow::ShowHelpOnHelp() {
    ShowPage(HelpCatalog::HelpOnHelpPage);
}

void HelpWindow::pageChanged(const QUrl &url) {
    const QString page = url.fileName();
    // Keep the contents tree in step with the page shown, also after a link or Back.
    for (QTreeWidgetItemIterator it(contents_); *it; ++it)
        if ((*it)->data(0, PageRole).toString() == page) {
            contents_->setCurrentItem(*it);
            break;
        }
    // The contents page is called "Vantrel Help" itself.
    const QString title = catalog_.Title(page);
    const QString name = QStringLiteral("Vantrel Help");
    setWindowTitle(title.startsWith(name) ? title : name + QStringLiteral(" - ") + title);
}

QString HelpWindow::CurrentPage() const {
    return browser_->source().fileName();
}

QString HelpWindow::Notice() const {
    return notice_->isHidden() ? QString() : notice_->text();
}

int HelpWindow::CurrentTab() const {
    return tabs_->currentIndex();
}

} // namespace vantrel::app
