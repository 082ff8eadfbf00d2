#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <optional>

namespace vantrel::core {
class LinkModel;
class RouterModel;
struct LinkEvent;
} // namespace vantrel::core

namespace vantrel::monitors {

// Whether the router answers and what state the WAN link is in, each with the time it began:
// the drops and returns as the link model tells them, the answers as the polls of the link
// (the connection monitor's, and the tray's) get them.
class LinkWatch : public QObject {
    Q_OBJECT
public:
    enum class State { Unknown, Up, Down, NoAnswer };
    // Polls in a row without answer after which the router counts as silent.
    static constexpr int SilentPolls = 3;

    explicit LinkWatch(core::LinkModel &link);
    // Takes the connection monitor's polls as the router model delivers them.
    void Follow(core::RouterModel &router);

    // One poll of the link: answered or not, and whether it read the link up or down (nothing
    // for a state that is neither, such as training).
    void TakePoll(const QDateTime &when, bool answered, std::optional<bool> up);

    State Current() const;
    QDateTime Since() const;
    // "Link up since ...", "Link down since ...", "No answer from the router since ...";
    // empty before the first poll.
    QString Text() const;

signals:
    void changed();
    // SilentPolls polls in a row got no answer; the first of them was at `since`.
    void silent(const QDateTime &since);
    // The router answers again at `at`, after being silent since `since`.
    void answering(const QDateTime &since, const QDateTime &at);

private:
    void onLinkEvent(const core::LinkEvent &event);

    std::optional<bool> up_;
    QDateTime upSince_;     // when the link was first seen in its state
    QDateTime silentSince_; // the first poll of the run without answer
    int missed_ = 0;
    bool toldSilent_ = false;
};

} // namespace vantrel::monitors
