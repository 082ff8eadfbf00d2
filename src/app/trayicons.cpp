#include "app/trayicons.h"

#include <QFont>
#include <QPainter>

namespace vantrel::app {

TrayImageList::TrayImageList(const char *name, std::array<QPixmap, 2> frames, QObject *parent)
    : QObject(parent), frames_(std::move(frames)) {
    setObjectName(QString::fromLatin1(name));
}

namespace {

QColor lightColour(Light light) {
    switch (light) {
    case Light::Green:
        return QColor(0, 230, 0);
    case Light::Yellow:
        return QColor(255, 230, 0);
    case Light::Red:
        return QColor(240, 0, 0);
    case Light::Off:
        break;
    }
    return QColor(70, 70, 70);
}

} // namespace

QPixmap TrayIcons::Frame(Light first, Light second, Light third) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    // Three letters in a 5-pixel grid, drawn as pixels so they stay sharp at 16 x 16.
    static const char *const glyphs[3][5] = {
        {"110", "101", "101", "101", "110"}, // D
        {"011", "100", "010", "001", "110"}, // S
        {"100", "100", "100", "100", "111"}, // L
    };
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 90));
    for (int letter = 0; letter < 3; ++letter)
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (glyphs[letter][row][col] == '1')
                    p.drawRect(1 + letter * 5 + col, row, 1, 1);
    // The dark box with three lights.
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(0, 7, 16, 9);
    const Light lights[3] = {first, second, third};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lightColour(lights[i]));
        p.drawRect(1 + i * 5, 9, 4, 5);
    }
    return pixmap;
}

QIcon TrayIcons::ProgramIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.drawLine(24, 14, 28, 3); // antenna
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawRoundedRect(2, 14, 28, 14, 3, 3);
    const QColor lights[3] = {QColor(0, 255, 0), QColor(0, 255, 0), QColor(255, 255, 0)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lights[i]);
        p.drawEllipse(QPointF(9 + i * 7, 21), 2.5, 2.5);
    }
    QIcon icon;
    icon.addPixmap(pixmap);
    icon.addPixmap(Frame(Light::Green, Light::Green, Light::Green));
    return icon;
}

void TrayIcons::CreateLists(QObject *parent) {
    const Light G = Light::Green, Y = Light::Yellow, R = Light::Red, N = Light::Off;
    struct ListDef {
        const char *name;
        Light a[3];
        Light b[3];
    };
    const ListDef lists[] = {
        {"ImageList_GGG_RRR", {G, G, G}, {R, R, R}}, {"ImageList_GGG_YYY", {Y, Y, Y}, {G, G, G}},
        {"ImageList_RRR_NNN", {N, N, N}, {R, R, R}}, {"ImageList_GGR_GNR", {G, N, R}, {G, G, R}},
        {"ImageList_GGY_GNY", {G, N, Y}, {G, G, Y}}, {"ImageList_GGG_GNG", {G, N, G}, {G, G, G}},
    };
    for (const ListDef &l : lists)
        new TrayImageList(l.name, {Frame(l.a[0], l.a[1], l.a[2]), Frame(l.b[0], l.b[1], l.b[2])},
                          parent);
}

} // namespace vantrel::app
