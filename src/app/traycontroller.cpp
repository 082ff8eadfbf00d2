#include "app/traycontroller.h"

#include "app/trayhost.h"
#include "app/trayicons.h"
#include "core/quotamodel.h"
#include "core/routermodel.h"
#include "core/settingsmodel.h"
#include "monitors/linkwatch.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>
#include <cstdlib>

#ifdef VANTREL_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace vantrel::app {

const QString TrayController::NoTrayText =
    QStringLiteral(" This desktop has no notification area: Vantrel minimises to the task bar");

namespace {

const QString kStatusKey = QStringLiteral("monitor:tray");
constexpr int kFirstTickMs = 500;
constexpr int kTickMs = 5000;
constexpr int kFrameMs = 900;

#ifdef VANTREL_HAVE_XCB
xcb_atom_t atom(xcb_connection_t *c, const char *name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(c, 0, static_cast<std::uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookie, nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const xcb_atom_t a = reply->atom;
    std::free(reply);
    return a;
}

// Asks the window manager to add or remove the "skip task bar" state of a mapped window.
void sendSkipTaskBar(QWidget &window, bool skip) {
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return; // Wayland and the offscreen platform have no such state
    xcb_connection_t *c = x11->connection();
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (screen == nullptr)
        return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window.winId());
    event.type = atom(c, "_NET_WM_STATE");
    event.data.data32[0] = skip ? 1 : 0; // add or remove
    event.data.data32[1] = atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    event.data.data32[3] = 1; // from an ordinary application
    xcb_send_event(c, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}
#endif

} // namespace

TrayController::TrayController(TrayHost &host, core::RouterModel &router,
                               const core::QuotaModel &quota, std::function<void()> refreshQuota,
                               const core::SettingsModel &settings)
    : host_(host), window_(host.Window()), router_(router), quota_(quota),
      refreshQuota_(std::move(refreshQuota)), settings_(settings) {
    setObjectName(QStringLiteral("TrayController"));
    TrayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

    popup_ = new QMenu(&window_);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *open = popup_->addAction(QStringLiteral("Open Vantrel"));
    open->setObjectName(QStringLiteral("OpenPrg"));
    QFont bold = open->font();
    bold.setBold(true);
    open->setFont(bold);
    popup_->setDefaultAction(open);
    QAction *exit = popup_->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("ExitPrg"));
    connect(open, &QAction::triggered, this, [this] { host_.Run([this] { OpenPrgClick(); }); });
    connect(exit, &QAction::triggered, this, [this] { host_.Run([this] { ExitPrgClick(); }); });

    QSystemTrayIcon *icon = &host_.Icon();
    icon->setContextMenu(popup_);
    connect(icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    host_.Run([this] { TrayIcon1Click(); });
            });

    animation_ = new QTimer(this);
    animation_->setObjectName(QStringLiteral("TrayAnimation"));
    animation_->setInterval(kFrameMs);
    connect(animation_, &QTimer::timeout, this, [this] { nextFrame(); });
    connect(&host_.LightsTimer(), &QTimer::timeout, this,
            [this] { host_.Run([this] { Tray_TimerTimer(); }); });
    connect(&router_, &core::RouterModel::pageJobsChanged, this, [this](int pending) {
        // The last result is shown right after this: the text follows it.
        if (pending == 0 && noTrayPending_) {
            noTrayPending_ = false;
            QTimer::singleShot(0, this, [this] { host_.SetStatus(NoTrayText); });
        }
    });
    connect(&quota_, &core::QuotaModel::changed, this, &TrayController::UpdateToolTip);
    window_.installEventFilter(this);
}

TrayController::~TrayController() {
    window_.removeEventFilter(this);
}

bool TrayController::eventFilter(QObject *watched, QEvent *event) {
    if (watched != &window_)
        return false;
    if (event->type() == QEvent::WindowStateChange && !changingState_ && window_.isMinimized() &&
        window_.isVisible())
        // Hidden once the minimise has run its course, not in the middle of it.
        QTimer::singleShot(0, this, [this] { host_.Run([this] { minimised(); }); });
    else if (event->type() == QEvent::Show)
        host_.Run([this] { FormShow(); });
    return false;
}

void TrayController::minimised() {
    if (!window_.isMinimized() || !window_.isVisible())
        return;
    if (TrayAvailable()) {
        GoToTray();
        return;
    }
    // The ordinary minimise stands; the task bar brings the window back.
    sayNoTray();
}

void TrayController::sayNoTray() {
    if (noTraySaid_)
        return;
    noTraySaid_ = true;
    // After the queries on their way, whose " Ready" would cover it.
    if (router_.PageJobs() == 0)
        host_.SetStatus(NoTrayText);
    else
        noTrayPending_ = true;
}

void TrayController::GoToTray() {
    detach();
    lightState_ = "-----";
    QTimer *timer = &host_.LightsTimer();
    timer->setInterval(kFirstTickMs);
    timer->start();
    host_.Icon().show();
    UpdateToolTip();
    window_.hide();
}

void TrayController::StartInTray() {
    changingState_ = true;
    window_.setWindowState(window_.windowState() | Qt::WindowMinimized);
    changingState_ = false;
    if (TrayAvailable()) {
        restoreOnShow_ = true;
        GoToTray(); // hidden explicitly, so the event loop starts without showing it
        return;
    }
    // Shown minimised, with its task bar button.
    restoreOnShow_ = false;
    sayNoTray();
}

void TrayController::Tray_TimerTimer() {
    if (refreshQuota_)
        refreshQuota_();
    QTimer *timer = &host_.LightsTimer();
    if (timer->interval() != kTickMs)
        timer->setInterval(kTickMs);
    if (!host_.Icon().isVisible())
        return;
    // Asked after the quota refresh, so its answer finds the bar where the refresh left it.
    core::ResultHead head;
    head.requester = core::Requester::Monitor;
    head.trigger = core::Trigger::Timer;
    router_.Submit<core::WanStatusReading>(
        kStatusKey, core::RouterModel::JobKind::Poll, head,
        [](core::RouterLink &link) { return core::ReadWanStatus(link); },
        [this](core::WanStatusReading &r) { host_.Run([this, &r] { onStatus(r); }); });
}

void TrayController::onStatus(const core::WanStatusReading &r) {
    if (r.head.outcome.cancelled || !host_.Icon().isVisible())
        return;
    if (watch_ != nullptr) {
        std::optional<bool> up;
        if (r.status == core::LinkState::Up || r.status == core::LinkState::Down)
            up = r.status == core::LinkState::Up;
        watch_->TakePoll(r.head.readAt, bool(r.status), up);
    }
    const std::optional<core::TrayLights> lights = core::TrayLightsFor(
        bool(r.status), r.status.value_or(core::LinkState::Other), quota_.Level());
    // A state the lights do not show leaves them as they are.
    if (lights)
        show(*lights);
    UpdateToolTip();
}

void TrayController::show(core::TrayLights lights) {
    // The code of each pattern (the run's light state) and its image list.
    switch (lights) {
    case core::TrayLights::NoAnswer:
        return attach("N-N-N", "ImageList_RRR_NNN");
    case core::TrayLights::UpCritical:
        return attach("G-G-R", "ImageList_GGR_GNR");
    case core::TrayLights::UpHigh:
        return attach("G-G-Y", "ImageList_GGY_GNY");
    case core::TrayLights::Up:
        return attach("G-G-G", "ImageList_GGG_GNG");
    case core::TrayLights::Down:
        return attach("R-R-R", "ImageList_GGG_RRR");
    case core::TrayLights::Training:
        return attach("Y-Y-Y", "ImageList_GGG_YYY");
    }
}

void TrayController::attach(const char *code, const char *list) {
    std::string &state = lightState_;
    if (state == code)
        return; // the same pattern goes on without a restart
    animation_->stop();
    list_ = window_.findChild<TrayImageList *>(QString::fromLatin1(list));
    if (list_ == nullptr)
        return;
    iconIndex_ = 0;
    host_.Icon().setIcon(QIcon(list_->Frame(0)));
    animation_->start();
    ++animationStarts_;
    state = code;
}

void TrayController::detach() {
    animation_->stop();
    iconIndex_ = -1;
    list_ = nullptr;
    host_.Icon().setIcon(TrayIcons::ProgramIcon());
}

void TrayController::nextFrame() {
    if (list_ == nullptr)
        return;
    iconIndex_ ^= 1;
    host_.Icon().setIcon(QIcon(list_->Frame(iconIndex_)));
}

QString TrayController::AttachedList() const {
    return list_ != nullptr ? list_->objectName() : QString();
}

void TrayController::ShowLink(monitors::LinkWatch &watch) {
    watch_ = &watch;
    connect(&watch, &monitors::LinkWatch::changed, this, &TrayController::UpdateToolTip);
}

void TrayController::UpdateToolTip() {
    QString tip = QStringLiteral("Vantrel\nQuota left ") + quota_.LeftText();
    const QString forecast = quota_.ForecastText();
    if (!forecast.isEmpty())
        tip += QLatin1Char('\n') + forecast;
    const QString link = watch_ != nullptr ? watch_->Text() : QString();
    if (!link.isEmpty())
        tip += QLatin1Char('\n') + link;
    host_.Icon().setToolTip(tip);
}

void TrayController::TrayIcon1Click() {
    host_.LightsTimer().stop();
    host_.Icon().hide();
    changingState_ = true;
    window_.showNormal(); // runs FormShow
    changingState_ = false;
    window_.activateWindow();
    window_.raise();
}

void TrayController::OpenPrgClick() {
    changingState_ = true;
    window_.showNormal();
    changingState_ = false;
    window_.activateWindow();
    window_.raise();
    host_.LightsTimer().stop();
    host_.Icon().hide();
}

void TrayController::ExitPrgClick() {
    host_.Exit();
    // A hidden window that closes is no "last window" to Qt: the program ends here.
    if (!window_.isVisible() && !host_.Icon().isVisible())
        QCoreApplication::quit();
}

void TrayController::FormShow() {
    if (restoreOnShow_) {
        restoreOnShow_ = false;
        if (window_.isMinimized()) {
            changingState_ = true;
            window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
            changingState_ = false;
        }
    }
    // "Hide" drops the task bar button, unless there is no tray to come back from.
    const bool shown = !settings_.Values().HideInTaskBar || !TrayAvailable();
    taskBarButton_ = shown;
    // After the window manager has taken the window on.
    QTimer::singleShot(0, this, [this, shown] { setTaskBarButton(shown); });
}

void TrayController::setTaskBarButton(bool shown) {
#ifdef VANTREL_HAVE_XCB
    if (window_.isVisible())
        sendSkipTaskBar(window_, !shown);
#else
    Q_UNUSED(shown);
#endif
}

} // namespace vantrel::app
