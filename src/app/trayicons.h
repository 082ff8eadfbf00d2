#pragma once

#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <array>

namespace vantrel::app {

// The lights of the tray picture.
enum class Light { Green, Yellow, Red, Off };

// One two-frame list of the tray animation, found by its name (ImageList_GGG_RRR...).
class TrayImageList : public QObject {
    Q_OBJECT
public:
    TrayImageList(const char *name, std::array<QPixmap, 2> frames, QObject *parent);
    const QPixmap &Frame(int index) const { return frames_[size_t(index & 1)]; }

private:
    std::array<QPixmap, 2> frames_;
};

// Draws the program icon and the twelve 16 x 16 tray frames in code, so they stay crisp: the
// letters D, S and L above a dark box with three lights.
class TrayIcons {
public:
    static QIcon ProgramIcon();
    static QPixmap Frame(Light first, Light second, Light third);
    // Creates the six image lists as children of parent.
    static void CreateLists(QObject *parent);
};

} // namespace vantrel::app
