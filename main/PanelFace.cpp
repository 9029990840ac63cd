#include "PanelFace.h"

TPanelFace TPanelFace::load(qreal pixelRatio)
{
    return {LoadArt(QStringLiteral("face"), pixelRatio), LoadArt(QStringLiteral("face-lit"), pixelRatio),
            LoadArt(QStringLiteral("thumb"), pixelRatio)};
}
