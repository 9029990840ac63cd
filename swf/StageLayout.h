#pragma once

#include <QRectF>
#include <QSize>
#include <QString>
#include <QTransform>

#include <optional>

namespace swf {

// How a movie asks its stage to be fitted into the area showing it
// (Stage.scaleMode and Stage.align).
struct StageLayout {
    enum class Scale { ShowAll, ExactFit, NoBorder, NoScale };

    Scale scale = Scale::ShowAll;
    // The edges the stage keeps to, from "LTRB"; none: centred.
    QString align;

    // The mode's name as scripts write it, and the mode a name gives
    // (any case); nothing for an unknown name.
    static QString scaleName(Scale scale);
    static std::optional<Scale> scaleNamed(const QString &name);
    // The edges a text names, whatever their case and order, as "LTRB" orders them.
    static QString alignOf(const QString &text);
};

// Maps stage twips onto an area of pixels as the layout asks.
QTransform StageToArea(const QRectF &stageTwips, const QSize &area, const StageLayout &layout);

} // namespace swf
